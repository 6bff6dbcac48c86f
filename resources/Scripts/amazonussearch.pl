#!/usr/bin/perl
# Amazon US: the Details blocks of a lite XML web-service answer as hits, written to parsedresults.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;
use AmazonXml;

my @matches;
for my $details (amazon_details(page_text('searchresult.html', amazon_charset('searchresult.html')))) {
    my $book = amazon_book($details);
    my $text = $book->{title};
    $text .= ' / ' . join(', ', map { $_->[1] } @{ $book->{credits} }) if @{ $book->{credits} };
    $text .= " ($book->{year})" if $book->{year};
    push @matches, { id => $book->{queryid}, description => $text };
}
write_matches('parsedresults.xml', @matches);
