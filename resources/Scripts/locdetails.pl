#!/usr/bin/perl
# Library of Congress: the first record of the gateway's answer to an ISBN search, written to
# parseddetails.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;
use LocGateway;

my ($book) = gateway_books('searchdetails.html');
write_book('parseddetails.xml', $book) if $book;
