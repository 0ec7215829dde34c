// Each payload as the window hands it to the symbols: encoded by our engine with the
// window's settings (version 10, level L, automatic modes, the count rule), read back by
// zxing-cpp, and compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "composer/payload.h"
#include "composer/shift_jis_text.h"
#include "composer_test_util.h"
#include "qr/engine/symbol_engine.h"
#include "tests/support/zxing_reader.h"

namespace {

using composer_test::ShiftJis;

struct Decoded {
    std::string bytes;
    int symbols = 0;
};

Decoded EncodeAndRead(const std::string& payload, int count) {
    qr::engine::TQRSymbolEngine engine;
    engine.SetVersion(10);
    engine.SetCount(count);
    engine.SetCode(payload);
    engine.DivideInput();
    engine.CheckDivision();

    std::vector<test_support::TZxingResult> reads;
    for (int s = 1; s <= engine.Count(); ++s) {
        EXPECT_EQ(engine.BuildSymbol(s), 0) << "symbol " << s;
        reads.push_back(test_support::ZxingReadModules(
            engine.Modules(), [&](int r, int c) { return engine.IsDark(r, c); }, 4, 2, true));
        EXPECT_TRUE(reads.back().Valid) << reads.back().Error;
    }
    Decoded decoded;
    decoded.symbols = engine.Count();
    if (reads.size() > 1) {
        std::sort(reads.begin(), reads.end(),
                  [](const auto& a, const auto& b) { return a.SequenceIndex < b.SequenceIndex; });
        for (size_t i = 0; i < reads.size(); ++i) {
            EXPECT_EQ(reads[i].SequenceIndex, static_cast<int>(i));
            EXPECT_EQ(reads[i].SequenceSize, static_cast<int>(reads.size()));
            EXPECT_EQ(reads[i].SequenceId, reads[0].SequenceId);
        }
    }
    for (const auto& read : reads) {
        decoded.bytes += read.Bytes;
    }
    return decoded;
}

composer::TCardFields Card() {
    composer::TCardFields card;
    card.FamilyName = ShiftJis("高橋");
    card.GivenName = ShiftJis("花子");
    card.FamilyKana = ShiftJis("たかはし");
    card.GivenKana = ShiftJis("はなこ");
    card.Tel1 = "090-1111-2222";
    card.Tel2 = "";
    card.Mail1 = "hanako@example.jp";
    card.Mail2 = "h;a:n,a@example.com";
    card.Memo = ShiftJis("誕生日は５月") + "\r\n" + ShiftJis("～ｶﾌｪ好き");
    composer::NormaliseCardReadings(card);
    return card;
}

TEST(PayloadRoundTrip, EveryPayloadReadsBackAsTheSameBytes) {
    struct Row {
        const char* Name;
        std::string Payload;
        int Count;
    };
    std::vector<Row> rows;
    auto add = [&](const char* name, std::string payload, int count) {
        rows.push_back({name, std::move(payload), count});
    };
    auto byLength = [](const std::string& payload) {
        return composer::SymbolCountFor(composer::CountMbChars(payload));
    };
    const std::string bookmark =
        composer::BookmarkPayload(ShiftJis("天気予報"), "https://tenki.example.jp/");
    add("bookmark", bookmark, byLength(bookmark));
    for (int carrier : {composer::crDocomo, composer::crSoftbank}) {
        const std::string card = composer::CardPayload(Card(), carrier);
        add(carrier == composer::crDocomo ? "MECARD" : "MEMORY", card, byLength(card));
    }

    composer::TMessageFields mail;
    mail.Body =
        ShiftJis("明日の会議は１０時からです。") + "\r\n" + ShiftJis("よろしく!") + "\r\n~ok~";
    mail.Address = "taro@example.jp";
    mail.SubjectOption = composer::soFromBody;
    for (int carrier : {composer::crDocomo, composer::crAU}) {
        const composer::TMessagePayload message = composer::MessagePayload(mail, carrier);
        add(carrier == composer::crDocomo ? "MATMSG" : "MAILTO", message.Payload, message.Count);
    }
    composer::TMessageFields plain = mail;
    plain.Address = "no address";
    const composer::TMessagePayload body = composer::MessagePayload(plain, composer::crDocomo);
    add("body", body.Payload, body.Count);

    // 200 characters of body: two linked symbols, though the mail around it is longer.
    composer::TMessageFields longMail = mail;
    longMail.Body.clear();
    while (composer::CountMbChars(longMail.Body) < 200) {
        longMail.Body += ShiftJis("長い本文") + "ABC12";
    }
    longMail.Body = composer::CopyMbChars(longMail.Body, 1, 200);
    const composer::TMessagePayload linked = composer::MessagePayload(longMail, composer::crDocomo);
    ASSERT_EQ(linked.Count, 2);
    add("MATMSG, 200 characters", linked.Payload, linked.Count);

    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        const Decoded decoded = EncodeAndRead(row.Payload, row.Count);
        EXPECT_EQ(decoded.symbols, row.Count);
        EXPECT_EQ(decoded.bytes, row.Payload);
    }
}

} // namespace
