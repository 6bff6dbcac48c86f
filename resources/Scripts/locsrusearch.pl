#!/usr/bin/perl
# Library of Congress (SRU): the records of a searchRetrieve answer as hits, written to parsedresults.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;
use LocRecords;

my @matches;
for my $book (loc_books(page_text('searchresult.html', 'UTF-8'))) {
    my $text = $book->{title};
    $text .= ': ' . $book->{subtitle} if $book->{subtitle};
    my @names = map { $_->[1] } @{ $book->{credits} || [] };
    $text .= ' / ' . join(', ', @names) if @names;
    $text .= " ($book->{year})" if $book->{year};
    push @matches, { id => $book->{queryid}, description => $text };
}
write_matches('parsedresults.xml', @matches);
