#!/usr/bin/perl
# Amazon US: the first Details block of a heavy XML web-service answer, written to parseddetails.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;
use AmazonXml;

my ($details) = amazon_details(page_text('searchdetails.html', amazon_charset('searchdetails.html')));
exit 0 unless defined $details;
write_book('parseddetails.xml', amazon_book($details));
