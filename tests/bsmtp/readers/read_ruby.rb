#!/usr/bin/ruby
# Reads mails with Ruby's mail gem, as a mail program built on it would.
#
#     read_ruby.rb FILE...
#
# Prints one JSON line per file: subject, text of the text part, attachment file name.
# Shift_JIS is read as handsets read it, with the carriers' pictographs: Windows-31J.
require 'json'
require 'mail'

class HandsetCharsets < Mail::Ruby19::BestEffortCharsetEncoder
  def encode(string, charset)
    charset = 'Windows-31J' if charset.to_s =~ /\Ashift[_-]?jis\z/i
    super(string, charset)
  end
end
Mail::Ruby19.charset_encoder = HandsetCharsets.new

ARGV.each do |file|
  out = { 'file' => file }
  begin
    mail = Mail.read(file)
    out['subject'] = mail.subject.to_s
    text = mail.multipart? ? mail.text_part : mail
    out['body'] = text&.decoded
    attachment = mail.attachments.first
    out['filename'] = attachment&.filename
  rescue StandardError => e
    out['error'] = "#{e.class}: #{e.message}"
  end
  puts JSON.generate(out)
end
