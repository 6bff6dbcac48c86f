#!/usr/bin/perl
# Boeknet: the hits of a search page ("1 t/m 10 van ..."), each a link to "/servlet/book?id=<id>" with
# the authors after it on its line, written to parsedresults.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;

my $page = page_text('searchresult.html', 'cp1252');
my @matches;
while ($page =~ m{<a\s[^>]*href="[^"]*/servlet/book\?id=(\w+)[^"]*"[^>]*>(.*?)</a>(.*?)(?=<br|</td|</li|$)}gis) {
    my ($id, $title, $rest) = ($1, html_text($2), html_text($3));
    next unless length $title;
    $rest =~ s/^[-,\/\s]+//;
    push @matches, { id => $id, description => length $rest ? "$title / $rest" : $title };
}
write_matches('parsedresults.xml', @matches);
