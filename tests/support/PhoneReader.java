// Reads QR pictures as the ZXing-based scanners of Android phones do, for the tests'
// C++ side (tests/support/phone_reader.cpp), which keeps one of these running per test
// process. Requests on standard input, one after the other:
//     "WIDTH HEIGHT\n" then WIDTH * HEIGHT bytes of 8-bit luminance, row by row
// Answer on standard output, one "KEY\tVALUE" line each, VALUE the hexadecimal of its
// UTF-8 bytes (so tabs, line breaks and any character travel unharmed), then "end\t":
//     result              a new result of QRCodeMultiReader.decodeMultiple follows
//     text                its decoded text
//     sa-sequence         structured-append metadata, when the result still has it
//     sa-parity
//     type                ResultParser.parseResult's type: EMAIL_ADDRESS, ADDRESSBOOK, ...
//     field.NAME          one field of the parsed result; a list gives one line per
//                         entry, and a field the parser left null gives none
//     symbol              "INDEX COUNT PARITY" of each symbol decoded on its own (-1 -1 -1
//                         for a symbol that is not linked)
//     error               the request could not be served
// A malformed request ends the program after its error answer: the stream is lost.
import com.google.zxing.BinaryBitmap;
import com.google.zxing.DecodeHintType;
import com.google.zxing.NotFoundException;
import com.google.zxing.PlanarYUVLuminanceSource;
import com.google.zxing.ReaderException;
import com.google.zxing.Result;
import com.google.zxing.ResultMetadataType;
import com.google.zxing.client.result.AddressBookParsedResult;
import com.google.zxing.client.result.EmailAddressParsedResult;
import com.google.zxing.client.result.ParsedResult;
import com.google.zxing.client.result.ResultParser;
import com.google.zxing.client.result.TextParsedResult;
import com.google.zxing.client.result.URIParsedResult;
import com.google.zxing.common.DecoderResult;
import com.google.zxing.common.DetectorResult;
import com.google.zxing.common.HybridBinarizer;
import com.google.zxing.multi.qrcode.QRCodeMultiReader;
import com.google.zxing.multi.qrcode.detector.MultiDetector;
import com.google.zxing.qrcode.decoder.Decoder;
import java.io.BufferedInputStream;
import java.io.BufferedOutputStream;
import java.io.DataInputStream;
import java.io.EOFException;
import java.io.IOException;
import java.io.InputStream;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.util.EnumMap;
import java.util.Map;

public final class PhoneReader {
    private static final char[] HEX = "0123456789abcdef".toCharArray();

    private final PrintStream out;

    private PhoneReader(PrintStream out) {
        this.out = out;
    }

    public static void main(String[] args) throws IOException {
        DataInputStream in = new DataInputStream(new BufferedInputStream(System.in, 1 << 16));
        PhoneReader reader =
                new PhoneReader(new PrintStream(new BufferedOutputStream(System.out, 1 << 16),
                        false, StandardCharsets.US_ASCII));
        for (;;) {
            String header = readLine(in);
            if (header == null) return;
            String[] size = header.trim().split(" ");
            int width = -1, height = -1;
            try {
                if (size.length == 2) {
                    width = Integer.parseInt(size[0]);
                    height = Integer.parseInt(size[1]);
                }
            } catch (NumberFormatException e) {
                width = -1;
            }
            if (width <= 0 || height <= 0 || (long) width * height > (1L << 28)) {
                reader.line("error", "bad request header: " + header);
                reader.end();
                return;
            }
            byte[] pixels = new byte[width * height];
            try {
                in.readFully(pixels);
            } catch (EOFException e) {
                return;
            }
            try {
                reader.read(pixels, width, height);
            } catch (RuntimeException e) {
                reader.line("error", e.toString());
            }
            reader.end();
        }
    }

    // The header line up to "\n", ASCII; null at the end of the input.
    private static String readLine(InputStream in) throws IOException {
        StringBuilder line = new StringBuilder();
        for (int c; (c = in.read()) != '\n';) {
            if (c < 0) return line.length() == 0 ? null : line.toString();
            line.append((char) c);
        }
        return line.toString();
    }

    private void read(byte[] pixels, int width, int height) {
        BinaryBitmap bitmap = new BinaryBitmap(new HybridBinarizer(
                new PlanarYUVLuminanceSource(pixels, width, height, 0, 0, width, height, false)));
        Map<DecodeHintType, Object> hints = new EnumMap<>(DecodeHintType.class);
        hints.put(DecodeHintType.TRY_HARDER, Boolean.TRUE);
        // 3.4.1 joins a structured-append set by itself: decodeMultiple sorts every result
        // that carries a sequence number by it and hands back one result with their texts
        // run together (each symbol's text decoded, and its character set guessed, on its
        // own) and no structured-append metadata. It checks neither the parity nor that
        // the set is complete, so the symbols are decoded once more one by one below,
        // for the caller to see the whole set was there.
        Result[] results;
        try {
            results = new QRCodeMultiReader().decodeMultiple(bitmap, hints);
        } catch (NotFoundException e) {
            results = new Result[0];
        }
        for (Result result : results) {
            line("result", "");
            line("text", result.getText());
            Map<ResultMetadataType, Object> metadata = result.getResultMetadata();
            if (metadata != null) {
                Object sequence = metadata.get(ResultMetadataType.STRUCTURED_APPEND_SEQUENCE);
                Object parity = metadata.get(ResultMetadataType.STRUCTURED_APPEND_PARITY);
                if (sequence != null) line("sa-sequence", sequence.toString());
                if (parity != null) line("sa-parity", parity.toString());
            }
            parsed(ResultParser.parseResult(result));
        }
        symbols(bitmap, hints);
    }

    private void parsed(ParsedResult parsed) {
        line("type", parsed.getType().name());
        if (parsed instanceof EmailAddressParsedResult) {
            EmailAddressParsedResult mail = (EmailAddressParsedResult) parsed;
            field("tos", mail.getTos());
            field("subject", mail.getSubject());
            field("body", mail.getBody());
        } else if (parsed instanceof AddressBookParsedResult) {
            AddressBookParsedResult card = (AddressBookParsedResult) parsed;
            field("names", card.getNames());
            field("pronunciation", card.getPronunciation());
            field("phoneNumbers", card.getPhoneNumbers());
            field("emails", card.getEmails());
            field("note", card.getNote());
            field("addresses", card.getAddresses());
            field("urls", card.getURLs());
        } else if (parsed instanceof URIParsedResult) {
            URIParsedResult uri = (URIParsedResult) parsed;
            field("uri", uri.getURI());
            field("title", uri.getTitle());
        } else if (parsed instanceof TextParsedResult) {
            field("text", ((TextParsedResult) parsed).getText());
        } else {
            field("display", parsed.getDisplayResult());
        }
    }

    private void symbols(BinaryBitmap bitmap, Map<DecodeHintType, Object> hints) {
        DetectorResult[] found;
        try {
            found = new MultiDetector(bitmap.getBlackMatrix()).detectMulti(hints);
        } catch (NotFoundException e) {
            return;
        }
        Decoder decoder = new Decoder();
        for (DetectorResult symbol : found) {
            try {
                DecoderResult decoded = decoder.decode(symbol.getBits(), hints);
                boolean linked = decoded.hasStructuredAppend();
                int sequence = decoded.getStructuredAppendSequenceNumber();
                line("symbol", linked ? (sequence >> 4) + " " + ((sequence & 0xF) + 1) + " "
                                + decoded.getStructuredAppendParity()
                                      : "-1 -1 -1");
            } catch (ReaderException e) {
                // As decodeMultiple does: a finder pattern that leads to no symbol is no symbol.
            }
        }
    }

    private void field(String name, String value) {
        if (value != null) line("field." + name, value);
    }

    private void field(String name, String[] values) {
        if (values == null) return;
        for (String value : values)
            line("field." + name, value == null ? "" : value);
    }

    private void line(String key, String value) {
        byte[] bytes = value.getBytes(StandardCharsets.UTF_8);
        StringBuilder s = new StringBuilder(key.length() + 1 + 2 * bytes.length);
        s.append(key).append('\t');
        for (byte b : bytes)
            s.append(HEX[(b >> 4) & 0xF]).append(HEX[b & 0xF]);
        out.print(s.append('\n'));
    }

    private void end() {
        out.print("end\t\n");
        out.flush();
    }
}
