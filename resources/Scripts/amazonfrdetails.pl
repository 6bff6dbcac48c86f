#!/usr/bin/perl
# Amazon France: the book of a product page, written to parseddetails.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use AmazonStore;

store_details('fr');
