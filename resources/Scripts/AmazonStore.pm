package AmazonStore;
# The web pages of the UK, French and German stores. A result list links every product as
# "/exec/obidos/ASIN/<id>/..." followed by its authors; a product page shows the title in bold, the
# authors after "by" (or the store's word for it), and a product-details list of "Label: value" lines.
use strict;
use warnings;
use Exporter 'import';
use TomekeepParse;

our @EXPORT = qw(store_search store_details);

# The words of each store's pages.
my %stores = (
    uk => { by => 'by', pages => 'pages', publisher => 'Publisher', price => 'List Price|RRP',
            bindings => 'Paperback|Hardcover|Mass Market Paperback|Library Binding|Audio Cassette' },
    fr => { by => 'de', pages => 'pages', publisher => "\x{c9}diteur|Editeur", price => "Prix \x{e9}diteur",
            bindings => "Broch\x{e9}|Reli\x{e9}|Poche|Cartonn\x{e9}" },
    de => { by => 'von', pages => 'Seiten', publisher => 'Verlag', price => 'Unverb\. Preisempf\.|Preis',
            bindings => 'Taschenbuch|Gebundene Ausgabe|Broschiert|Kartoniert' },
);

# The stores' pages are Latin-1; read as Windows-1252 so that the odd curly quote survives too.
sub store_page {
    my ($name) = @_;
    return page_text($name, 'cp1252');
}

# Hits: each product linked with a text, with the authors that follow the link on its line.
sub store_search {
    my ($store) = @_;
    my $words = $stores{$store};
    my $page = store_page('searchresult.html');
    my @matches;
    while ($page =~ m{<a\s[^>]*href="[^"]*/exec/obidos/ASIN/(\w{10})[^"]*"[^>]*>(.*?)</a>(.*?)(?=<br|</td|</li|<a\s[^>]*ASIN|$)}gis) {
        my ($id, $title, $rest) = ($1, html_text($2), html_text($3));
        next unless length $title;    # the picture links to the same product
        my $text = $title;
        $text .= " / $1" if $rest =~ /^~?\s*(?:$words->{by})\s+(.+)$/i;
        push @matches, { id => $id, description => clean_text($text) };
    }
    write_matches('parsedresults.xml', @matches);
}

sub store_details {
    my ($store) = @_;
    my $words = $stores{$store};
    my $page = store_page('searchdetails.html');
    my ($title) = $page =~ m{<(?:b class="sans"|span id="btAsinTitle")[^>]*>(.*?)</(?:b|span)>}is;
    exit 0 unless defined $title;
    my ($byline) = $page =~ m{(?:^|[\s>])(?:$words->{by})\s*(<a\s.*?)(?:<br|</td|</div|$)}im;
    my @authors = map { html_text($_) } ($byline // '') =~ m{<a\s[^>]*>(.*?)</a>}gi;
    my @lines = page_lines($page);
    my $isbn = labelled(\@lines, 'ISBN(?:-10)?');
    my ($asin) = $page =~ m{/exec/obidos/ASIN/(\w{10})};
    my $binding = (grep { /^(?:$words->{bindings})\s*:/ } @lines)[0];
    my ($format, $pages) = defined $binding ? $binding =~ /^([^:]+?)\s*:\s*(\d+)?/ : ();
    my $publisher = labelled(\@lines, $words->{publisher}) // '';
    my ($year, $month, $day) = parse_date($publisher =~ /\(([^)]*)\)\s*$/ ? $1 : undef);
    $publisher =~ s/\s*[;(].*$//;
    my $price = labelled(\@lines, $words->{price});
    $price = $price =~ /(\d+(?:[.,]\d+)?)/ ? $1 =~ tr/,/./r : undef if defined $price;
    my ($cover) = $page =~ m{<img\s[^>]*src="([^"]+/images/P/[^"]+)"}i;
    write_book('parseddetails.xml', {
        queryid    => $isbn // $asin,
        title      => html_text($title),
        isbn       => $isbn,
        pagecount  => $pages,
        coverprice => $price,
        coverfront => $cover,
        year       => $year, month => $month, day => $day,
        publisher  => $publisher,
        format     => $format,
        credits    => [map { ['Author', $_] } @authors],
    });
}

1;
