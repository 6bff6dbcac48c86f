#!/usr/bin/perl
# Boeknet: the book of an article page (title as heading, then "Label: value" lines), written to
# parseddetails.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use TomekeepParse;

my $page = page_text('searchdetails.html', 'cp1252');
my ($title) = $page =~ m{<h1[^>]*>(.*?)</h1>}is;
exit 0 unless defined $title;
my @lines = page_lines($page);
my $isbn = labelled(\@lines, 'ISBN');
(my $id) = $page =~ m{/servlet/book\?id=(\w+)};
my $price = labelled(\@lines, 'Prijs');
$price = $price =~ /(\d+(?:[.,]\d+)?)/ ? $1 =~ tr/,/./r : undef if defined $price;
my ($year, $month, $day) = parse_date(labelled(\@lines, 'Verschijningsdatum'));
my @authors = split /\s*[,;]\s*|\s+en\s+/, labelled(\@lines, 'Auteurs?') // '';

write_book('parseddetails.xml', {
    queryid    => $id // $isbn,    # what the details address is made from
    title      => html_text($title),
    subtitle   => labelled(\@lines, 'Ondertitel'),
    isbn       => $isbn,
    pagecount  => first_number(labelled(\@lines, "Aantal pagina's|Pagina's")),
    coverprice => $price,
    year       => $year, month => $month, day => $day,
    publisher  => labelled(\@lines, 'Uitgever'),
    format     => labelled(\@lines, 'Bindwijze|Uitvoering'),
    genres     => [grep { defined } labelled(\@lines, 'Genre|Rubriek')],
    credits    => [map { ['Author', $_] } grep { length } @authors],
});
