#!/usr/bin/perl
# Library of Congress: the records of the gateway's "Query Results" page as hits, written to
# parsedresults.xml. A record without an ISBN cannot be fetched again and gets no id.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;
use LocGateway;

my @matches;
for my $book (gateway_books('searchresult.html')) {
    my $text = $book->{title};
    $text .= ': ' . $book->{subtitle} if $book->{subtitle};
    $text .= ' / ' . join(', ', map { $_->[1] } @{ $book->{credits} }) if @{ $book->{credits} };
    $text .= " ($book->{year})" if $book->{year};
    push @matches, { id => $book->{queryid}, description => $text };
}
write_matches('parsedresults.xml', @matches);
