#!/usr/bin/perl
# Google Books: the hits of a volumes answer, written to parsedresults.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use JSON::PP;
use TomekeepParse;

my $answer = eval { JSON::PP->new->utf8->decode(read_page('searchresult.html')) };
exit 0 unless ref $answer eq 'HASH';

my @matches;
for my $item (@{ $answer->{items} || [] }) {
    my $info = $item->{volumeInfo} || {};
    my $text = clean_text($info->{title});
    $text .= ': ' . clean_text($info->{subtitle}) if $info->{subtitle};
    $text .= ' / ' . join(', ', @{ $info->{authors} }) if $info->{authors};
    my ($year) = parse_date($info->{publishedDate});
    $text .= " ($year)" if $year;
    push @matches, { id => $item->{id}, description => $text };
}
write_matches('parsedresults.xml', @matches);
