package LocRecords;
# Catalogue records of the library's SRU answers as book records: MARCXML, and MODS for answers in that
# schema.
use strict;
use warnings;
use Exporter 'import';
use TomekeepParse;

our @EXPORT = qw(loc_books);

my %relators = (aut => 'Author', edt => 'Editor', trl => 'Translator', ill => 'Illustrator',
                pht => 'Photographer', cov => 'Cover Artist', art => 'Cover Artist', aui => 'Foreword Author',
                aft => 'Foreword Author', wpr => 'Foreword Author');
my @role_words = ([qr/translat/i, 'Translator'], [qr/illustrat/i, 'Illustrator'], [qr/\bedit/i, 'Editor'],
                  [qr/photograph/i, 'Photographer'], [qr/(fore|intro)/i, 'Foreword Author'],
                  [qr/cover/i, 'Cover Artist']);

sub unescape {
    my ($text) = @_;
    $text =~ s/&lt;/</g;
    $text =~ s/&gt;/>/g;
    $text =~ s/&quot;/"/g;
    $text =~ s/&apos;/'/g;
    $text =~ s/&#(\d+);/chr($1)/ge;
    $text =~ s/&#x([0-9a-fA-F]+);/chr(hex $1)/ge;
    $text =~ s/&amp;/&/g;
    return clean_text($text);
}

# Title and other texts lose the punctuation that only separates them in a catalogue card.
sub trim_isbd {
    my ($text) = @_;
    $text = clean_text($text);
    $text =~ s/\s*[\/:;,=]\s*$//;
    # A full stop that ends an initial or a common abbreviation ("Co.", "Inc.") belongs to the text.
    $text =~ s/\.$// unless $text =~ /\b(?:\p{L}|Co|Inc|Ltd|Corp|Bros|Jr|Sr|etc)\.$/;
    return $text;
}

# The role of a name from its relator terms and codes, or from the statement of responsibility.
sub role_of {
    my ($terms, $codes, $name, $statement, $default) = @_;
    for my $code (@$codes) { return $relators{$code} if $relators{$code} }
    for my $term (@$terms) {
        return 'Author' if $term =~ /author/i && $term !~ /fore|intro/i;
        for (@role_words) { return $_->[1] if $term =~ $_->[0] }
    }
    my ($surname) = $name =~ /(\S+)$/;
    if (defined $surname && $statement =~ /^(.*?)\Q$surname\E/) {
        my $before = $1;
        $before =~ s/.*[;,]//;    # only the words of this part of the statement
        for (@role_words) { return $_->[1] if $before =~ $_->[0] }
    }
    return $default;
}

sub marc_book {
    my ($record) = @_;
    my @fields;
    while ($record =~ m{<(?:\w+:)?datafield\b([^>]*)>(.*?)</(?:\w+:)?datafield>}gs) {
        my ($attributes, $body) = ($1, $2);
        my ($tag) = $attributes =~ /tag="(\d+)"/ or next;
        my @subfields;
        while ($body =~ m{<(?:\w+:)?subfield\b[^>]*code="(.)"[^>]*>(.*?)</(?:\w+:)?subfield>}gs) {
            push @subfields, [$1, unescape($2)];
        }
        push @fields, { tag => $tag, sub => \@subfields };
    }
    my $all = sub {
        my ($f, @codes) = @_;
        my %wanted = map { $_ => 1 } @codes;
        return map { $wanted{ $_->[0] } ? ($_->[1]) : () } @{ $f->{sub} };
    };
    my $first = sub { my ($tag, $code) = @_; for my $f (grep { $_->{tag} eq $tag } @fields) { my ($v) = $all->($f, $code); return $v if defined $v } undef };

    my %book;
    my ($title_field) = grep { $_->{tag} eq '245' } @fields;
    my $statement = '';
    if ($title_field) {
        $book{title} = trim_isbd(join ' ', $all->($title_field, 'a', 'n', 'p'));
        $book{subtitle} = trim_isbd(join ' ', $all->($title_field, 'b'));
        $statement = join ' ', $all->($title_field, 'c');
    }
    for my $f (grep { $_->{tag} =~ /^(100|700)$/ } @fields) {
        my ($name) = $all->($f, 'a') or next;
        my $display = marc_name_display($name);
        my $role = role_of([$all->($f, 'e')], [$all->($f, '4')], $display, $statement,
                           $f->{tag} eq '100' ? 'Author' : 'Author');
        push @{ $book{credits} }, [$role, $display];
    }
    my ($publication) = grep { $_->{tag} eq '260' } @fields;
    ($publication) = grep { $_->{tag} eq '264' } @fields unless $publication;
    if ($publication) {
        $book{publisher} = trim_isbd(($all->($publication, 'b'))[0] // '');
        @book{qw(year month day)} = parse_date(($all->($publication, 'c'))[0]);
    }
    # The extent is in 300 $a; some records carry the numbered pages on in $b ("viii p., 1 l., | 3-100 p.").
    my ($extent_field) = grep { $_->{tag} eq '300' } @fields;
    my @extents = $extent_field ? map { join ' ', $all->($extent_field, @$_) } ['a'], ['a', 'b'] : ();
    for my $extent (@extents) {
        if ($extent =~ /(\d+)\s*(p\b|pages)/) { $book{pagecount} = $1; last }
    }
    my $isbn = $first->('020', 'a');
    ($book{isbn}) = $isbn =~ /^\s*([\dXx-]{10,17})/ if defined $isbn;
    $book{isbn} =~ s/-//g if $book{isbn};
    my $call = join ' ', grep { defined } $first->('050', 'a'), $first->('050', 'b');
    $book{lccn} = $call if length $call;
    $book{dewey} = $first->('082', 'a');
    # The control number, or else the linking one of older records.
    my $control = $first->('010', 'a') // $first->('011', 'a');
    $control = clean_text($control) if defined $control;
    $book{url} = "https://lccn.loc.gov/$control" if $control;
    my %seen;
    $book{genres} = [grep { length && !$seen{$_}++ } map { trim_isbd(join ' -- ', $all->($_, 'a', 'x')) }
                     grep { $_->{tag} =~ /^65[05]$/ } @fields];
    splice @{ $book{genres} }, 5 if @{ $book{genres} } > 5;
    $book{queryid} = $book{isbn} // ($control ? "lccn:$control" : undef);
    return \%book;
}

sub mods_book {
    my ($record) = @_;
    my $text = sub { my ($re) = @_; $record =~ $re ? unescape($1) : undef };
    my %book;
    $book{title} = trim_isbd($text->(qr{<titleInfo>\s*<title>(.*?)</title>}s) // '');
    $book{subtitle} = trim_isbd($text->(qr{<titleInfo>.*?<subTitle>(.*?)</subTitle>}s) // '');
    while ($record =~ m{<name\b[^>]*>(.*?)</name>}gs) {
        my $name = $1;
        my ($part) = $name =~ m{<namePart>(.*?)</namePart>}s or next;
        $part = unescape($part);
        $part =~ s/\s*\[.*?\]//g;
        my @terms = map { unescape($_) } $name =~ m{<roleTerm[^>]*type="text"[^>]*>(.*?)</roleTerm>}gs;
        my @codes = map { unescape($_) } $name =~ m{<roleTerm[^>]*type="code"[^>]*>(.*?)</roleTerm>}gs;
        push @{ $book{credits} }, [role_of(\@terms, \@codes, $part, '', 'Author'), marc_name_display($part)];
    }
    $book{publisher} = trim_isbd($text->(qr{<publisher>(.*?)</publisher>}s)
                                 // $text->(qr{<agent>\s*<namePart>(.*?)</namePart>}s) // '');
    @book{qw(year month day)} = parse_date($text->(qr{<dateIssued[^>]*>(.*?)</dateIssued>}s));
    my $extent = $text->(qr{<extent>(.*?)</extent>}s) // '';
    $book{pagecount} = $1 if $extent =~ /(\d+)\s*(p\b|pages)/;
    my $isbn = $text->(qr{<identifier type="isbn">(.*?)</identifier>}s);
    ($book{isbn}) = $isbn =~ /^([\dXx-]{10,17})/ if defined $isbn;
    $book{lccn} = $text->(qr{<classification authority="lcc">(.*?)</classification>}s);
    $book{dewey} = $text->(qr{<classification authority="ddc"[^>]*>(.*?)</classification>}s);
    my $control = $text->(qr{<identifier type="lccn">(.*?)</identifier>}s);
    $book{url} = "https://lccn.loc.gov/$control" if $control;
    my %seen;
    $book{genres} = [grep { length && !$seen{$_}++ } map { unescape($_) } $record =~ m{<topic>(.*?)</topic>}gs];
    s/\.?\s*\[from old catalog\]//, s/\.$// for @{ $book{genres} };
    $book{queryid} = $book{isbn} // ($control ? "lccn:$control" : undef);
    return \%book;
}

# Every record of the page, in order.
sub loc_books {
    my ($page) = @_;
    my @books;
    while ($page =~ m{<((?:\w+:)?)record(?:\s[^>]*)?>(.*?)</\1record>}gs) {
        push @books, marc_book($2) if index($2, 'datafield') >= 0;
    }
    return @books if @books;
    push @books, mods_book($1) while $page =~ m{<(?:\w+:)?mods\b[^>]*>(.*?)</(?:\w+:)?mods>}gs;
    return @books;
}

1;
