package AmazonXml;
# The answers of Amazon's XML web service: a ProductInfo document with one Details element per product.
# The lite answer carries Asin, ProductName, Authors, ReleaseDate, Manufacturer, the image addresses and
# prices; the heavy one adds Isbn, Media, NumberOfPages, the reviews' ProductDescription and BrowseList.
use strict;
use warnings;
use Exporter 'import';
use TomekeepParse;

our @EXPORT = qw(amazon_charset amazon_details amazon_book);

# The encoding named by the XML declaration; UTF-8 when it names none.
sub amazon_charset {
    my ($name) = @_;
    my ($charset) = read_page($name) =~ /^\s*<\?xml[^>]*encoding=["']([\w.:-]+)["']/;
    return $charset // 'UTF-8';
}

sub amazon_details {
    my ($xml) = @_;
    return $xml =~ m{<Details\b[^>]*>(.*?)</Details>}gs;
}

# "$26.95" as "26.95".
sub price {
    my ($text) = @_;
    return undef unless defined $text && $text =~ /(\d[\d,]*(?:\.\d+)?)/;
    (my $amount = $1) =~ s/,//g;
    return $amount;
}

sub amazon_book {
    my ($details) = @_;
    my $asin = tag_text($details, 'Asin');
    my ($year, $month, $day) = parse_date(tag_text($details, 'ReleaseDate'));
    my @genres = grep { length } tag_texts($details, 'BrowseName');
    splice @genres, 5 if @genres > 5;
    return {
        queryid    => $asin,
        title      => tag_text($details, 'ProductName'),
        isbn       => tag_text($details, 'Isbn') // $asin,
        notes      => tag_text($details, 'ProductDescription'),
        coverfront => tag_text($details, 'ImageUrlLarge'),
        pagecount  => first_number(tag_text($details, 'NumberOfPages')),
        coverprice => price(tag_text($details, 'ListPrice')),
        year       => $year, month => $month, day => $day,
        publisher  => tag_text($details, 'Manufacturer'),
        format     => tag_text($details, 'Media'),
        genres     => \@genres,
        credits    => [map { ['Author', $_] } grep { length } tag_texts($details, 'Author')],
    };
}

1;
