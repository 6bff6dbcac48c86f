#!/usr/bin/perl
# Open Library: one book of an api/books answer (jscmd=data), written to parseddetails.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use JSON::PP;
use TomekeepParse;

my $answer = eval { JSON::PP->new->utf8->decode(read_page('searchdetails.html')) };
exit 0 unless ref $answer eq 'HASH';
my ($key) = sort keys %$answer;
exit 0 unless defined $key && ref $answer->{$key} eq 'HASH';
my $data = $answer->{$key};
(my $asked = $key) =~ s/^\w+://;

my $ids = $data->{identifiers} || {};
my $isbn = $key =~ /^ISBN:/ ? $asked : (($ids->{isbn_13} || [])->[0] // ($ids->{isbn_10} || [])->[0]);
my ($year, $month, $day) = parse_date($data->{publish_date});
# Subjects also hold list tags such as "nyt:series_books=2008-03-15"; those are no genres.
my @genres = grep { !/[:=]/ } map { clean_text($_->{name}) } @{ $data->{subjects} || [] };
splice @genres, 5 if @genres > 5;
my $notes = ref $data->{notes} eq 'HASH' ? $data->{notes}{value} : $data->{notes};

write_book('parseddetails.xml', {
    queryid    => $isbn // $asked,
    title      => clean_text($data->{title}),
    subtitle   => clean_text($data->{subtitle}),
    isbn       => $isbn,
    lccn       => ($data->{classifications}{lc_classifications} || [])->[0],
    dewey      => ($data->{classifications}{dewey_decimal_class} || [])->[0],
    notes      => $notes,
    url        => $data->{url},
    coverfront => ($data->{cover} || {})->{large},
    pagecount  => $data->{number_of_pages},
    year       => $year, month => $month, day => $day,
    publisher  => clean_text((($data->{publishers} || [])->[0] || {})->{name}),
    genres     => \@genres,
    credits    => [map { ['Author', clean_text($_->{name})] } @{ $data->{authors} || [] }],
});
