#!/usr/bin/perl
# Amazon France: the hits of a result-list page, written to parsedresults.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use AmazonStore;

store_search('fr');
