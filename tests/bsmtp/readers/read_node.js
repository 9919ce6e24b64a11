#!/usr/bin/env node
// Reads mails with Node's mailparser, as a mail program built on it would.
//
//     read_node.js FILE...
//
// Prints one JSON line per file: subject, text of the text part, attachment file name.
// Shift_JIS is read as handsets read it, with the carriers' pictographs: the web's Shift_JIS
// (TextDecoder), which holds the user-defined area that iconv-lite's table stops short of.
'use strict';
const fs = require('fs');
const iconv = require('iconv-lite');
const { simpleParser } = require('mailparser');

function HandsetShiftJis() {}
HandsetShiftJis.prototype.decoder = function () {
    const d = new TextDecoder('shift_jis');
    return { write: (b) => d.decode(b, { stream: true }), end: () => d.decode() };
};
HandsetShiftJis.prototype.encoder = function () {
    throw new Error('reading only');
};
iconv.getCodec('shiftjis');  // loads the table of encodings, which is then replaced in part
iconv.encodings.shiftjis = HandsetShiftJis;
iconv._codecDataCache = Object.create(null);

(async () => {
    for (const file of process.argv.slice(2)) {
        const out = { file };
        try {
            const mail = await simpleParser(fs.readFileSync(file), { skipHtmlToText: true });
            out.subject = mail.subject || '';
            out.body = mail.text === undefined ? null : mail.text;
            out.filename = mail.attachments.length ? mail.attachments[0].filename : null;
        } catch (e) {
            out.error = String(e);
        }
        console.log(JSON.stringify(out));
    }
})();
