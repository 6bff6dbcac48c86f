package TomekeepParse;
# Shared by the parse scripts: reading the page the program hands over and writing the small XML
# files it reads back (a list of hits, or one book record).
use strict;
use warnings;
use Encode ();
use Exporter 'import';

our @EXPORT = qw(read_page page_text write_matches write_book clean_text html_text parse_date first_number
                 marc_name_display tag_text tag_texts page_lines labelled);

# The program turns the received bytes into UTF-8 as if they were Windows-1252 and ends every line with
# CR LF; this undoes both, giving the bytes the service sent.
my %to_cp1252 = (
    0x20AC => 0x80, 0x201A => 0x82, 0x0192 => 0x83, 0x201E => 0x84, 0x2026 => 0x85, 0x2020 => 0x86,
    0x2021 => 0x87, 0x02C6 => 0x88, 0x2030 => 0x89, 0x0160 => 0x8A, 0x2039 => 0x8B, 0x0152 => 0x8C,
    0x017D => 0x8E, 0x2018 => 0x91, 0x2019 => 0x92, 0x201C => 0x93, 0x201D => 0x94, 0x2022 => 0x95,
    0x2013 => 0x96, 0x2014 => 0x97, 0x02DC => 0x98, 0x2122 => 0x99, 0x0161 => 0x9A, 0x203A => 0x9B,
    0x0153 => 0x9C, 0x017E => 0x9E, 0x0178 => 0x9F,
);

sub read_page {
    my ($name) = @_;
    open my $fh, '<:raw', $name or exit 0;    # nothing to parse: no output, no hits
    local $/;
    my $text = <$fh>;
    close $fh;
    my $chars = Encode::decode('UTF-8', $text);
    my $bytes = join '', map { my $c = ord; chr($c < 256 ? $c : ($to_cp1252{$c} // 0x3F)) } split //, $chars;
    $bytes =~ s/\r\n/\n/g;
    return $bytes;
}

# The page as characters, read in the service's own character set.
sub page_text {
    my ($name, $charset) = @_;
    return Encode::decode($charset, read_page($name));
}

my %entities = (amp => '&', lt => '<', gt => '>', quot => '"', apos => "'", nbsp => ' ');

# Text of an HTML fragment: tags removed, entities decoded, blanks joined.
sub html_text {
    my ($html) = @_;
    return '' unless defined $html;
    $html =~ s/<[^>]*>//g;
    $html =~ s/&#(\d+);/chr($1)/ge;
    $html =~ s/&#x([0-9a-fA-F]+);/chr(hex $1)/ge;
    $html =~ s/&(\w+);/exists $entities{$1} ? $entities{$1} : "&$1;"/ge;
    return clean_text($html);
}

# Texts of every element `tag` of an XML answer, in order; attributes and nested tags are ignored.
sub tag_texts {
    my ($xml, $tag) = @_;
    return map { html_text($_) } $xml =~ m{<\Q$tag\E(?:\s[^>]*)?>(.*?)</\Q$tag\E>}gs;
}

sub tag_text {
    my ($xml, $tag) = @_;
    my ($first) = tag_texts($xml, $tag);
    return $first;
}

# The visible lines of an HTML page: a break at every block end, tags removed, blanks joined.
sub page_lines {
    my ($html) = @_;
    $html =~ s{<(?:script|style)\b.*?</(?:script|style)>}{}gis;
    $html =~ s{<br\s*/?>|</(?:p|li|tr|div|h\d|dt|dd|table|pre)>|<hr[^>]*>}{\n}gi;
    $html =~ s{</t[dh]>}{ }gi;
    return grep { length } map { html_text($_) } split /\n/, $html;
}

# The text after the colon of the first line whose label matches `label`.
sub labelled {
    my ($lines, $label) = @_;
    for (@$lines) {
        return clean_text($1) if /^(?:$label)\s*:\s*(.*)$/;
    }
    return undef;
}

sub clean_text {
    my ($text) = @_;
    return '' unless defined $text;
    $text =~ s/\s+/ /g;
    $text =~ s/^ | $//g;
    return $text;
}

my %months = (jan => 1, feb => 2, mar => 3, apr => 4, may => 5, jun => 6, jul => 7, aug => 8, sep => 9,
              oct => 10, nov => 11, dec => 12, mai => 5, juin => 6, juil => 7, aou => 8, okt => 10,
              dez => 12, mrz => 3, "m\x{e4}r" => 3, janv => 1, "f\x{e9}v" => 2, avr => 4, "d\x{e9}c" => 12,
              mrt => 3, maa => 3, mei => 5);

# (year, month, day) from "2003-09-01", "2003-09", "September 1, 2003", "1 Sept. 2003", "c2000." ...
sub parse_date {
    my ($text) = @_;
    return () unless defined $text;
    return ($1, $2 + 0, $3 + 0) if $text =~ /\b(\d{4})-(\d{1,2})-(\d{1,2})\b/;
    return ($1, $2 + 0) if $text =~ /\b(\d{4})-(\d{1,2})\b/;
    my ($year) = $text =~ /(?<!\d)(\d{4})(?!\d)/ or return ();
    my ($month, $day);
    for my $word ($text =~ /(\p{L}+)/g) {
        my $key = lc $word;
        for my $len (4, 3) {
            next if length $key < $len;
            if (exists $months{substr $key, 0, $len}) { $month = $months{substr $key, 0, $len}; last }
        }
        last if $month;
    }
    ($day) = $text =~ /(?<!\d)(\d{1,2})(?!\d)/ if $month;
    return $month ? ($year, $month, $day) : ($year);
}

sub first_number {
    my ($text) = @_;
    return undef unless defined $text;
    return $text =~ /(\d+)/ ? $1 + 0 : undef;
}

# "Sandburg, Carl, 1878-1967." as "Carl Sandburg".
sub marc_name_display {
    my ($name) = @_;
    $name = clean_text($name);
    $name =~ s/,?\s*\d{4}-?(\d{4})?\.?$//;
    $name =~ s/[,.;:\s]+$// unless $name =~ /\b\p{Lu}\.$/;
    my ($last, $first) = split /,\s*/, $name, 2;
    return defined $first && length $first ? "$first $last" : $last;
}

sub xml_escape {
    my ($text) = @_;
    $text = '' unless defined $text;
    $text =~ s/[\x00-\x08\x0B\x0C\x0E-\x1F]//g;
    $text =~ s/&/&amp;/g;
    $text =~ s/</&lt;/g;
    $text =~ s/>/&gt;/g;
    return $text;
}

sub write_file {
    my ($name, $xml) = @_;
    open my $fh, '>:raw', $name or die "cannot write $name: $!";
    print $fh Encode::encode('UTF-8', qq{<?xml version="1.0" encoding="UTF-8"?>\n$xml});
    close $fh or die "cannot write $name: $!";
}

sub element {
    my ($name, $text) = @_;
    return '' unless defined $text && length $text;
    return "<$name>" . xml_escape($text) . "</$name>";
}

# Hits: a list of { id, description }.
sub write_matches {
    my ($name, @matches) = @_;
    my $xml = "<results>\n";
    $xml .= '<match>' . element('id', $_->{id}) . element('description', $_->{description}) . "</match>\n"
        for @matches;
    write_file($name, $xml . "</results>\n");
}

# One book: plain texts, numbers, the date, pick-list values, genres and credits ([role, name] pairs).
sub write_book {
    my ($name, $book) = @_;
    my $xml = "<book>\n";
    for my $field (qw(queryid title subtitle isbn lccn dewey notes url coverfront pagecount coverprice)) {
        $xml .= element($field, $book->{$field});
    }
    if ($book->{year}) {
        $xml .= '<publicationdate>' . element('year', $book->{year}) . element('month', $book->{month})
              . element('day', $book->{day}) . '</publicationdate>';
    }
    for my $field (qw(publisher format edition series)) {
        $xml .= "<$field>" . element('displayname', $book->{$field}) . "</$field>" if $book->{$field};
    }
    if ($book->{genres} && @{ $book->{genres} }) {
        $xml .= '<genres>' . join('', map { '<genre>' . element('displayname', $_) . '</genre>' } @{ $book->{genres} })
              . '</genres>';
    }
    if ($book->{credits} && @{ $book->{credits} }) {
        $xml .= '<credits>'
              . join('', map { '<credit>' . element('role', $_->[0]) . element('displayname', $_->[1]) . '</credit>' }
                         @{ $book->{credits} })
              . '</credits>';
    }
    write_file($name, $xml . "\n</book>\n");
}

1;
