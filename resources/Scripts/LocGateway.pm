package LocGateway;
# The Library of Congress Z39.50 gateway's full record display: under "Query Results" every record is a
# list of "Label: value" lines (Personal Name, Main Title, Published/Created, Description, ISBN, ...),
# records set apart by horizontal rules. The gateway sends Latin-1.
use strict;
use warnings;
use Exporter 'import';
use TomekeepParse;

our @EXPORT = qw(gateway_books);

sub gateway_book {
    my ($html) = @_;
    my @lines = page_lines($html);
    my ($isbn) = (labelled(\@lines, 'ISBN') // '') =~ /([\dXx-]{10,17})/;
    my $main = labelled(\@lines, 'Main Title') // return;
    (my $title = $main) =~ s{\s*/\s*.*$}{};    # the statement of responsibility
    my ($subtitle) = $title =~ s/\s*:\s*(.*)$// ? ($1) : ();
    my $published = labelled(\@lines, 'Published/Created') // '';
    my ($publisher) = $published =~ /:\s*([^,;]+)/;
    my ($year) = parse_date($published);
    my @credits = map { ['Author', marc_name_display($_)] }
                  grep { defined } map { labelled([$_], 'Personal Name|Related Names') } @lines;
    my @genres = map { clean_text($_ =~ s/\.$//r) } grep { defined } map { labelled([$_], 'Subjects') } @lines;
    splice @genres, 5 if @genres > 5;
    return {
        queryid   => $isbn,
        title     => $title,
        subtitle  => $subtitle,
        isbn      => $isbn,
        lccn      => labelled(\@lines, 'LC Control Number'),
        dewey     => (labelled(\@lines, 'Dewey Class No\.') // '') =~ s{\s+\d+$}{}r || undef,
        pagecount => first_number(labelled(\@lines, 'Description')),
        year      => $year,
        publisher => $publisher,
        genres    => \@genres,
        credits   => \@credits,
    };
}

sub gateway_books {
    my ($name) = @_;
    my $page = page_text($name, 'cp1252');
    return grep { defined } map { gateway_book($_) } split /<hr[^>]*>/i, $page;
}

1;
