#!/usr/bin/perl
# Library of Congress (SRU): the first record of a searchRetrieve answer, written to parseddetails.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;
use LocRecords;

my ($book) = loc_books(page_text('searchdetails.html', 'UTF-8'));
write_book('parseddetails.xml', $book) if $book;
