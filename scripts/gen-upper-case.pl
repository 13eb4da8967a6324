#!/usr/bin/perl
# Writes platform/common/upper_case_table.inc: the simple upper-case mapping
# of every character of the basic plane beyond ASCII, from the Unicode
# character database that Perl carries. Each row is a run of characters
# (first, last, step) that all move by the same distance.
#   perl scripts/gen-upper-case.pl > platform/common/upper_case_table.inc
use strict;
use warnings;
use Unicode::UCD qw(charinfo);

my @rows;
for my $cp (0x80 .. 0xFFFF) {
    next if $cp >= 0xD800 && $cp <= 0xDFFF;
    my $info = charinfo($cp) or next;
    my $up = $info->{upper};
    next unless defined $up && $up ne '';
    my $u = hex $up;
    next if $u > 0xFFFF || $u == $cp;
    my $d = $u - $cp;
    if (@rows && $rows[-1][2] == $d) {
        my $r = $rows[-1];
        my $gap = $cp - $r->[1];
        if ($r->[0] == $r->[1] && ($gap == 1 || $gap == 2)) {
            ($r->[1], $r->[3]) = ($cp, $gap);
            next;
        }
        if ($r->[0] != $r->[1] && $gap == $r->[3]) {
            $r->[1] = $cp;
            next;
        }
    }
    push @rows, [$cp, $cp, $d, 1];
}
printf "// Unicode %s, simple upper-case mappings of U+0080..U+FFFF.\n", Unicode::UCD::UnicodeVersion();
printf "// Made by scripts/gen-upper-case.pl; do not edit.\n";
printf "{0x%04X, 0x%04X, %d, %d},\n", @$_ for @rows;
