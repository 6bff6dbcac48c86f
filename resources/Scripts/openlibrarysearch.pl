#!/usr/bin/perl
# Open Library: the hits of a search.json answer (title and author searches) or of an api/books answer
# (ISBN searches), written to parsedresults.xml.
use strict;
use warnings;
use FindBin;
use lib $FindBin::RealBin;
use JSON::PP;
use TomekeepParse;

my $answer = eval { JSON::PP->new->utf8->decode(read_page('searchresult.html')) };
exit 0 unless ref $answer eq 'HASH';

sub describe {
    my ($title, $subtitle, $authors, $year) = @_;
    my $text = clean_text($title);
    $text .= ': ' . clean_text($subtitle) if $subtitle;
    $text .= ' / ' . join(', ', @$authors) if @$authors;
    $text .= " ($year)" if $year;
    return $text;
}

my @matches;
if (ref $answer->{docs} eq 'ARRAY') {
    for my $doc (@{ $answer->{docs} }) {
        my @isbns = @{ $doc->{isbn} || [] };
        my ($isbn13) = grep { length == 13 } @isbns;
        my $id = $isbn13 // $isbns[0] // ($doc->{edition_key} || [])->[0];
        push @matches, { id => $id,
                         description => describe($doc->{title}, $doc->{subtitle}, $doc->{author_name} || [],
                                                 $doc->{first_publish_year}) };
    }
} else {
    for my $key (sort keys %$answer) {
        my $book = $answer->{$key};
        next unless ref $book eq 'HASH';
        (my $id = $key) =~ s/^\w+://;
        my ($year) = parse_date($book->{publish_date});
        push @matches, { id => $id,
                         description => describe($book->{title}, $book->{subtitle},
                                                 [map { $_->{name} } @{ $book->{authors} || [] }], $year) };
    }
}
write_matches('parsedresults.xml', @matches);
