#!/usr/bin/perl
# Reads mails with Perl's MIME-tools and Encode, as a mail program built on them would.
#
#     read_perl.pl FILE...
#
# Prints one JSON line per file: subject, text of the text part, attachment file name.
# Shift_JIS is read as handsets read it, with the carriers' pictographs: code page 932.
use strict;
use warnings;
use Encode ();
use JSON::PP ();
use MIME::Parser;
use MIME::Words qw(decode_mimewords);

# For MIME-tools' own decoding (RFC 2231 file names) too.
Encode::Alias::define_alias(qr/^shift[_-]?jis$/i => '"cp932"');

sub codec {
    my ($charset) = @_;
    return $charset // 'us-ascii';
}

sub decode_words {
    my ($value) = @_;
    return join '', map { Encode::decode(codec($_->[1]), $_->[0]) } decode_mimewords($value);
}

my $json = JSON::PP->new->canonical->utf8;
for my $file (@ARGV) {
    my %out = (file => $file);
    eval {
        my $parser = MIME::Parser->new;
        $parser->output_to_core(1);
        $parser->tmp_to_core(1);
        $parser->decode_headers(0);
        my $entity = $parser->parse_open($file);
        my $subject = $entity->head->get('Subject') // '';
        $subject =~ s/\r?\n$//;
        $subject =~ s/\r?\n[ \t]/ /g;
        $out{subject} = decode_words($subject);
        for my $part ($entity->parts_DFS) {
            next if $part->is_multipart;
            my $head = $part->head;
            if (!defined $out{body} && $head->mime_type =~ m{^text/}) {
                my $charset = $head->mime_attr('content-type.charset');
                $out{body} = Encode::decode(codec($charset), $part->bodyhandle->as_string);
            }
            my $disposition = $head->mime_attr('content-disposition') // '';
            if ($disposition eq 'attachment' && !defined $out{filename}) {
                # MIME-tools decodes RFC 2231 values itself and leaves encoded words alone.
                my $name = $head->recommended_filename;
                $name = decode_words($name) if defined $name && $name =~ /=\?/;
                $out{filename} = $name;
            }
        }
        1;
    } or do { $out{error} = "$@"; };
    print $json->encode(\%out), "\n";
}
