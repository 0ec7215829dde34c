// varoku-bench-segments: how many data bits, and which version at level M, each encoder
// spends on a corpus of Japanese and English texts: ours with the greedy and the
// optimal segmentation, libqrencode (Kanji mode from Shift-JIS, as qrencode -k), zint
// (UTF-8 in, its own Shift-JIS and segmentation) and segno (through python3). Every
// symbol is read back by one reader (bench/segment_reader), which counts the bits
// before the terminator and checks the bytes carried. Ours are counted without ECI, as
// the peers write none for this text, and with varoku-qr's default --eci auto, which
// announces Shift-JIS (12 bits) where a byte segment holds Shift-JIS bytes.
//
//   varoku-bench-segments [PYTHON SEGNO_SCRIPT]
//
// Exit status 1 when the optimal segmentation spends more bits than zint on any text.
#include <iconv.h>
#include <qrencode.h>
#include <zint.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/segment_reader.h"
#include "bench/segments_corpus.h"
#include "qr/engine/bitstream.h"
#include "qr/engine/symbol_engine.h"

namespace {

using bench::TReadSymbol;
namespace eng = qr::engine;

struct TText {
    std::string Label;
    std::string Utf8;
    std::string ShiftJis;
};

std::string ToShiftJis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return {};
    out.resize(out.size() - outLeft);
    return out;
}

// The first n UTF-8 characters.
std::string Prefix(const std::string& utf8, int n) {
    std::size_t i = 0;
    for (int k = 0; k < n && i < utf8.size(); ++k) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
            ++i;
    }
    return utf8.substr(0, i);
}

// One encoder's result for one text.
struct TResult {
    bool Ok = false;
    int Bits = 0;
    int Version = 0;
    int Eci = -1;
    std::string Problem;
};

TResult FromRead(const TReadSymbol& r, const std::string& expected) {
    TResult out;
    if (!r.Ok) {
        out.Problem = "unreadable: " + r.Error;
        return out;
    }
    out.Bits = r.Bits;
    out.Version = r.Version;
    out.Eci = r.Eci;
    if (r.Bytes != expected) {
        out.Problem = "carries other bytes";
        return out;
    }
    out.Ok = true;
    return out;
}

// Ours at the smallest version of level M, measured by the reader and by the engine's
// own count, which must agree.
TResult Ours(const std::string& sjis, eng::TQRSegments segments, int eci) {
    auto e = std::make_unique<eng::TQRSymbolEngine>();
    e->SetEclevel(eng::ecM);
    e->SetEci(eci);
    e->SetSegments(segments);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(sjis.data()),
                                              sjis.size());
    for (int v = 1; v <= 40; ++v) {
        e->SetVersion(v);
        if (e->BuildSymbolFrom(bytes, 1) != eng::brBuilt) continue;
        TResult r =
            FromRead(bench::ReadSymbolBits(e->Modules(),
                                           [&](int row, int col) { return e->IsDark(row, col); }),
                     sjis);
        eng::TEncodeContext ctx;
        ctx.Version = &eng::VersionTable[v];
        ctx.Eci = eci;
        ctx.Segments = segments;
        if (r.Ok && eng::AutoDataBits(bytes, ctx) != r.Bits) {
            r.Ok = false;
            r.Problem = "engine count " + std::to_string(eng::AutoDataBits(bytes, ctx)) +
                        " against " + std::to_string(r.Bits) + " read";
        }
        return r;
    }
    return {false, 0, 0, -1, "does not fit"};
}

TResult Qrencode(const std::string& sjis) {
    QRcode* code = QRcode_encodeString(sjis.c_str(), 0, QR_ECLEVEL_M, QR_MODE_KANJI, 1);
    if (!code) return {false, 0, 0, -1, "refused"};
    const int w = code->width;
    TResult r =
        FromRead(bench::ReadSymbolBits(
                     w, [&](int row, int col) { return (code->data[row * w + col] & 1) != 0; }),
                 sjis);
    QRcode_free(code);
    return r;
}

TResult Zint(const std::string& utf8, const std::string& sjis) {
    zint_symbol* s = ZBarcode_Create();
    s->symbology = BARCODE_QRCODE;
    s->input_mode = UNICODE_MODE;
    s->option_1 = 2; // M
    const int rc = ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(utf8.data()),
                                   static_cast<int>(utf8.size()));
    TResult r;
    if (rc >= ZINT_ERROR) {
        r.Problem = std::string("refused: ") + s->errtxt;
    } else {
        r = FromRead(bench::ReadSymbolBits(
                         s->width,
                         [&](int row, int col) {
                             return ((s->encoded_data[row][col >> 3] >> (col & 7)) & 1) != 0;
                         }),
                     sjis);
    }
    ZBarcode_Delete(s);
    return r;
}

// segno, one python3 process for every text: hex UTF-8 lines in, a version and the
// matrix rows out.
std::vector<TResult> Segno(const std::string& python, const std::string& script,
                           const std::vector<TText>& texts) {
    std::vector<TResult> results(texts.size(), TResult{false, 0, 0, -1, "segno not run"});
    char path[] = "/tmp/varoku-bench-segments-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return results;
    FILE* f = fdopen(fd, "w");
    for (const TText& t : texts) {
        for (const unsigned char c : t.Utf8)
            std::fprintf(f, "%02x", c);
        std::fprintf(f, "\n");
    }
    std::fclose(f);
    const std::string command = python + " " + script + " < " + path;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        std::remove(path);
        return results;
    }
    char line[512];
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!std::fgets(line, sizeof line, p)) break;
        int side = 0;
        if (std::sscanf(line, "%d", &side) != 1 || side <= 0) {
            results[i].Problem = std::string("segno: ") + line;
            continue;
        }
        std::vector<std::string> rows;
        std::string row;
        for (int k = 0; k < side; ++k) {
            row.clear();
            int c;
            while ((c = std::fgetc(p)) != EOF && c != '\n')
                row += static_cast<char>(c);
            rows.push_back(row);
        }
        results[i] = FromRead(
            bench::ReadSymbolBits(
                side,
                [&](int r, int c) {
                    return rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == '1';
                }),
            texts[i].ShiftJis);
    }
    pclose(p);
    std::remove(path);
    return results;
}

// Columns: ours without ECI and with varoku-qr's --eci auto, greedy and optimal, then
// the peers.
enum { kGreedy, kGreedyEci, kOptimal, kOptimalEci, kQrencode, kZint, kSegno, kPeers };
const char* const kColumn[kPeers] = {"greedy",   "greedy+eci", "optimal", "optimal+eci",
                                     "qrencode", "zint",       "segno"};

struct TRow {
    TText Text;
    TResult R[kPeers];
};

std::string Cell(const TResult& r) {
    if (!r.Ok) return r.Problem.substr(0, 13);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%5d v%-2d", r.Bits, r.Version);
    return buf;
}

// The label cut and padded to `width` terminal columns (wide characters take two).
std::string Column(const std::string& utf8, int width) {
    std::string out;
    int used = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t end = i + 1;
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            ++end;
        const std::string c = utf8.substr(i, end - i);
        // ASCII and half-width katakana (U+FF61..U+FF9F, EF BD A1..EF BE 9F) are narrow.
        const bool narrow =
            c.size() == 1 || (c.size() == 3 && static_cast<unsigned char>(c[0]) == 0xEF &&
                              (static_cast<unsigned char>(c[1]) == 0xBE ||
                               (static_cast<unsigned char>(c[1]) == 0xBD &&
                                static_cast<unsigned char>(c[2]) >= 0xA1)));
        const int w = narrow ? 1 : 2;
        if (used + w > width) break;
        out += c == "\n" ? " " : c;
        used += w;
        i = end;
    }
    return out + std::string(static_cast<std::size_t>(width - used), ' ');
}

void PrintTable(const char* title, const std::vector<TRow>& rows) {
    std::printf("\n%s: data bits and version at level M\n", title);
    std::printf("%s %5s", Column("text", 30).c_str(), "bytes");
    for (const char* c : kColumn)
        std::printf(" %13s", c);
    std::printf("\n");
    for (const TRow& row : rows) {
        std::printf("%s %5zu", Column(row.Text.Label, 30).c_str(), row.Text.ShiftJis.size());
        for (const TResult& r : row.R)
            std::printf(" %13s", Cell(r).c_str());
        std::printf("\n");
    }
}

// Ours (column ours) against a peer over the rows: how often more and fewer bits, a
// larger and a smaller version.
void PrintComparison(const std::vector<TRow>& rows, int ours, int peer) {
    int moreBits = 0, fewerBits = 0, larger = 0, largerBy2 = 0, smaller = 0, worst = 0, n = 0;
    for (const TRow& row : rows) {
        const TResult& a = row.R[ours];
        const TResult& b = row.R[peer];
        if (!a.Ok || !b.Ok) continue;
        ++n;
        moreBits += a.Bits > b.Bits;
        fewerBits += a.Bits < b.Bits;
        larger += a.Version > b.Version;
        largerBy2 += a.Version >= b.Version + 2;
        smaller += a.Version < b.Version;
        worst = std::max(worst, a.Bits - b.Bits);
    }
    std::printf("  %-11s vs %-8s %4d texts: more bits %4d (at most %+4d), fewer %4d; larger "
                "version %4d (%d by 2+), smaller %4d\n",
                kColumn[ours], kColumn[peer], n, moreBits, worst, fewerBits, larger, largerBy2,
                smaller);
}

bool NeverMoreThanZint(const std::vector<TRow>& rows) {
    bool ok = true;
    for (const TRow& row : rows)
        if (row.R[kOptimal].Ok && row.R[kZint].Ok && row.R[kOptimal].Bits > row.R[kZint].Bits) {
            std::printf("  optimal spends more than zint: %s (%d against %d)\n",
                        row.Text.Label.c_str(), row.R[kOptimal].Bits, row.R[kZint].Bits);
            ok = false;
        }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const std::string python = argc > 1 ? argv[1] : "/usr/bin/python3";
    const std::string script = argc > 2 ? argv[2] : "bench/segments_segno.py";

    std::vector<TText> texts;
    for (const auto& t : bench::JapaneseTexts())
        texts.push_back({t, t, ToShiftJis(t)});
    const std::size_t english = texts.size();
    for (const auto& t : bench::EnglishTexts())
        texts.push_back({t, t, t});
    const std::size_t prefixes = texts.size();
    const std::string& mail = bench::BusinessMail();
    for (int n = 1;; ++n) {
        const std::string p = Prefix(mail, n);
        texts.push_back({"mail prefix " + std::to_string(n), p, ToShiftJis(p)});
        if (p.size() == mail.size()) break;
    }
    for (const TText& t : texts)
        if (t.ShiftJis.empty()) {
            std::fprintf(stderr, "varoku-bench-segments: no Shift-JIS for %s\n", t.Label.c_str());
            return 2;
        }

    const std::vector<TResult> segno = Segno(python, script, texts);
    std::vector<TRow> rows;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const TText& t = texts[i];
        TRow row{t, {}};
        row.R[kGreedy] = Ours(t.ShiftJis, eng::sgGreedy, eng::kEciNone);
        row.R[kGreedyEci] = Ours(t.ShiftJis, eng::sgGreedy, eng::kEciAuto);
        row.R[kOptimal] = Ours(t.ShiftJis, eng::sgOptimal, eng::kEciNone);
        row.R[kOptimalEci] = Ours(t.ShiftJis, eng::sgOptimal, eng::kEciAuto);
        row.R[kQrencode] = Qrencode(t.ShiftJis);
        row.R[kZint] = Zint(t.Utf8, t.ShiftJis);
        row.R[kSegno] = segno[i];
        rows.push_back(row);
    }
    const std::vector<TRow> japanese(rows.begin(), rows.begin() + static_cast<long>(english));
    const std::vector<TRow> englishRows(rows.begin() + static_cast<long>(english),
                                        rows.begin() + static_cast<long>(prefixes));
    const std::vector<TRow> mailRows(rows.begin() + static_cast<long>(prefixes), rows.end());
    PrintTable("Japanese texts (Shift-JIS)", japanese);
    PrintTable("English sentences", englishRows);
    std::printf("\nEvery prefix of a %zu-character business mail (%zu texts), ours without "
                "ECI against each peer\n",
                mailRows.size(), mailRows.size());
    for (int ours : {kGreedy, kOptimal})
        for (int peer = kQrencode; peer < kPeers; ++peer)
            PrintComparison(mailRows, ours, peer);
    std::printf("\nAll %zu texts\n", rows.size());
    for (int ours = kGreedy; ours < kQrencode; ++ours)
        for (int peer = kQrencode; peer < kPeers; ++peer)
            PrintComparison(rows, ours, peer);
    int problems = 0;
    for (const TRow& row : rows)
        for (int k = 0; k < kPeers; ++k)
            if (!row.R[k].Ok) {
                if (problems++ < 10)
                    std::printf("  %s, %s: %s\n", row.Text.Label.c_str(), kColumn[k],
                                row.R[k].Problem.c_str());
            }
    std::printf("\n%d symbols not measured\n", problems);
    const bool ok = NeverMoreThanZint(rows);
    std::printf("optimal never spends more bits than zint: %s\n", ok ? "yes" : "no");
    return ok ? 0 : 1;
}
