#!/usr/bin/perl
# Google Books: one volume (or the first of a volumes answer), written to parseddetails.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use JSON::PP;
use TomekeepParse;

my $answer = eval { JSON::PP->new->utf8->decode(read_page('searchdetails.html')) };
exit 0 unless ref $answer eq 'HASH';
my $volume = $answer->{volumeInfo} ? $answer : ($answer->{items} || [])->[0];
exit 0 unless ref $volume eq 'HASH';
my $info = $volume->{volumeInfo} || {};

my %isbn = map { $_->{type} => $_->{identifier} } @{ $info->{industryIdentifiers} || [] };
my ($year, $month, $day) = parse_date($info->{publishedDate});
my %seen;
my @genres = grep { !$seen{$_}++ } map { clean_text($_) } map { split m{\s*/\s*} } @{ $info->{categories} || [] };
my $cover = ($info->{imageLinks} || {})->{thumbnail};
$cover =~ s/^http:/https:/ if $cover;

write_book('parseddetails.xml', {
    queryid    => $volume->{id},
    title      => clean_text($info->{title}),
    subtitle   => clean_text($info->{subtitle}),
    isbn       => $isbn{ISBN_13} // $isbn{ISBN_10},
    notes      => html_text($info->{description}),
    coverfront => $cover,
    pagecount  => $info->{pageCount} || $info->{printedPageCount},
    year       => $year, month => $month, day => $day,
    publisher  => clean_text($info->{publisher}),
    genres     => \@genres,
    credits    => [map { ['Author', clean_text($_)] } @{ $info->{authors} || [] }],
});
