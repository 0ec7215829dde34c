#include "composer/composition.h"
#include "composer/payload.h"

#include <gtest/gtest.h>

#include <memory>

#include "composer/shift_jis_text.h"
#include "composer_test_util.h"
#include "qr/engine/symbol_set.h"

namespace {

using composer_test::ShiftJis;

TEST(Payload, SymbolCountThresholds) {
    const std::pair<int, int> rows[] = {
        {0, 4},   {1, 1},   {150, 1}, {151, 2}, {300, 2},  {301, 3},
        {450, 3}, {451, 4}, {600, 4}, {601, 4}, {5000, 4},
    };
    for (const auto& [characters, count] : rows) {
        EXPECT_EQ(composer::SymbolCountFor(characters), count) << characters;
    }
}

TEST(Payload, BookmarkUrl) {
    const std::pair<const char*, const char*> rows[] = {
        {"example.jp", "http://example.jp"},
        {"", "http://"},
        {"http://example.jp/", "http://example.jp/"},
        {"jump?to=http://example.jp", "jump?to=http://example.jp"}, // anywhere will do
        {"https://example.jp", "https://example.jp"},
        {"HTTPS://example.jp", "HTTPS://example.jp"},
        {"Https://example.jp", "Https://example.jp"},
        {"HTTP://example.jp", "HTTP://example.jp"},
        {" https://example.jp", "http:// https://example.jp"},
        {"https:/example.jp", "http://https:/example.jp"},
        {"ftp://example.jp", "ftp://example.jp"},
        {"svn+ssh://example.jp", "svn+ssh://example.jp"},
        {"1http://x", "1http://x"}, // contains "http://"
        {"a b://example.jp", "http://a b://example.jp"},
        {"example.jp:8080/", "http://example.jp:8080/"},
    };
    for (const auto& [url, expected] : rows) {
        EXPECT_EQ(composer::BookmarkUrl(url), expected) << url;
        EXPECT_EQ(composer::BookmarkUrl(composer::BookmarkUrl(url)), expected) << url;
    }
}

TEST(Payload, Bookmark) {
    EXPECT_EQ(composer::BookmarkPayload("", ""), "MEBKM:TITLE:;URL:http\\://;;");
    EXPECT_EQ(composer::BookmarkPayload(ShiftJis("天気;予報"), "https://tenki.jp/a:b"),
              "MEBKM:TITLE:" + ShiftJis("天気\\;予報") + ";URL:https\\://tenki.jp/a\\:b;;");
    EXPECT_EQ(composer::BookmarkPayload("Site", "example.jp"),
              "MEBKM:TITLE:Site;URL:http\\://example.jp;;");
    // Every phone camera opens a bare URL; the title is not carried.
    const composer::TBookmarkResult phone =
        composer::ComposeBookmark("Site", "example.jp/a;b", composer::crSmartphone);
    EXPECT_EQ(phone.Payload, "http://example.jp/a;b");
    EXPECT_TRUE(phone.TitleDropped);
    EXPECT_FALSE(composer::ComposeBookmark("", "x.jp", composer::crSmartphone).TitleDropped);
}

// Readers cut a MeCard-family field at an unescaped ";" and drop a lone backslash. A
// Shift-JIS 0x5C trail byte (ソ is 83 5C, 表 is 95 5C) belongs to its character.
TEST(Payload, MeCardFieldEscapes) {
    const std::pair<std::string, std::string> rows[] = {
        {"O;Brien", "O\\;Brien"},
        {"14:00, 3F\\x", "14\\:00\\, 3F\\\\x"},
        {ShiftJis("ソフト表"), ShiftJis("ソフト表")},
        {ShiftJis("ソ") + ";", ShiftJis("ソ") + "\\;"},
        {"\x83", "\x83"}, // a lead byte cut off at the end stays
        {"", ""},
    };
    for (const auto& [value, escaped] : rows)
        EXPECT_EQ(composer::MeCardField(value), escaped) << value;
    EXPECT_EQ(composer::MeCardField("\xE3\x82\xBD\\", true),
              "\xE3\x82\xBD\\\\"); // UTF-8 ソ and a backslash
}

composer::TCardFields SampleCard() {
    composer::TCardFields card;
    card.FamilyName = ShiftJis("山田");
    card.GivenName = ShiftJis("太郎");
    card.FamilyKana = "\xd4\xcf\xc0\xde"; // ﾔﾏﾀﾞ
    card.GivenKana = "\xc0\xdb\xb3";      // ﾀﾛｳ
    card.Tel1 = "090-1234-5678";
    card.Tel2 = "03 1234 5678";
    card.Mail1 = "taro@example.jp";
    card.Mail2 = "t,a;r:o@example.com";
    card.Memo = ShiftJis("一行目") + "\r\n" + ShiftJis("二行目");
    return card;
}

TEST(Payload, DocomoCard) {
    const std::string tail = ";SOUND:\xd4\xcf\xc0\xde \xc0\xdb\xb3"
                             ";TEL:090-1234-5678;TEL:03 1234 5678"
                             ";EMAIL:taro@example.jp;EMAIL:t\\,a\\;r\\:o@example.com;NOTE:";
    EXPECT_EQ(composer::CardPayload(SampleCard(), composer::crDocomo),
              "MECARD:N:" + ShiftJis("山田") + " " + ShiftJis("太郎") + tail +
                  ShiftJis("一行目二行目") + ";;");
    EXPECT_EQ(composer::CardPayload({}, composer::crDocomo),
              "MECARD:N: ;SOUND: ;TEL:;TEL:;EMAIL:;EMAIL:;;");
    // Readers reorder a name at any comma: one typed in a name goes full width.
    composer::TCardFields named;
    named.FamilyName = "O,Brien;";
    EXPECT_EQ(composer::CardPayload(named, composer::crDocomo).substr(0, 21),
              "MECARD:N:O" + ShiftJis("，") + "Brien\\; ;");
    named.Utf8 = true;
    EXPECT_EQ(composer::CardPayload(named, composer::crSmartphone).substr(0, 22),
              "MECARD:N:O，Brien\\; ;");
    // The smartphone's card keeps the memo's line breaks.
    EXPECT_EQ(composer::CardPayload(SampleCard(), composer::crSmartphone),
              "MECARD:N:" + ShiftJis("山田") + " " + ShiftJis("太郎") + tail + ShiftJis("一行目") +
                  "\r\n" + ShiftJis("二行目") + ";;");
}

TEST(Payload, SoftbankAndAUCard) {
    const std::string expected = "MEMORY:" + ShiftJis("一行目二行目") + "\r\n" +
                                 "NAME1:" + ShiftJis("山田 太郎") + "\r\n" +
                                 "NAME2:\xd4\xcf\xc0\xde \xc0\xdb\xb3\r\n"
                                 "TEL1:090-1234-5678\r\n"
                                 "TEL2:03 1234 5678\r\n"
                                 "MAIL1:taro@example.jp\r\n"
                                 "MAIL2:t,a;r:o@example.com\r\n";
    EXPECT_EQ(composer::CardPayload(SampleCard(), composer::crSoftbank), expected);
    EXPECT_EQ(composer::CardPayload(SampleCard(), composer::crAU), expected);
    EXPECT_EQ(composer::CardPayload({}, composer::crAU),
              "MEMORY:\r\nNAME1: \r\nNAME2: \r\nTEL1:\r\nTEL2:\r\nMAIL1:\r\nMAIL2:\r\n");
    EXPECT_EQ(composer::CardPayload(SampleCard(), 4), "");
}

TEST(Payload, CardReadingsAndRefusals) {
    struct Row {
        std::string FamilyKana, GivenKana, Tel1, Tel2;
        composer::TCardProblem Problem;
        std::string NormalisedFamily;
    };
    const Row rows[] = {
        {ShiftJis("やまだ"), ShiftJis("たろう"), "090-1", "03 1", composer::TCardProblem::None,
         "\xd4\xcf\xc0\xde"},
        {ShiftJis("ヤマダ"), ShiftJis("ﾀﾛｳ"), "", "", composer::TCardProblem::None,
         "\xd4\xcf\xc0\xde"},
        {ShiftJis("山田"), ShiftJis("太郎"), ShiftJis("０９０"), "",
         composer::TCardProblem::FamilyKanaKanji, ShiftJis("山田")},
        {ShiftJis("やまだ"), ShiftJis("たろう　ゑ"), ShiftJis("０９０"), "",
         composer::TCardProblem::GivenKanaKanji, "\xd4\xcf\xc0\xde"},
        {"", "", ShiftJis("０９０"), ShiftJis("－"), composer::TCardProblem::Tel1FullWidth, ""},
        {"", "", "090", "03" + ShiftJis("ー"), composer::TCardProblem::Tel2FullWidth, ""},
    };
    for (const Row& row : rows) {
        composer::TCardFields card;
        card.FamilyKana = row.FamilyKana;
        card.GivenKana = row.GivenKana;
        card.Tel1 = row.Tel1;
        card.Tel2 = row.Tel2;
        composer::NormaliseCardReadings(card);
        EXPECT_EQ(card.FamilyKana, row.NormalisedFamily);
        EXPECT_EQ(card.Tel1, row.Tel1); // telephones are tested as typed
        EXPECT_EQ(composer::CheckCardFields(card), row.Problem) << row.FamilyKana;
    }
    // What input methods type for a telephone number becomes ASCII; nothing else changes.
    const std::pair<std::string, std::string> phones[] = {
        {ShiftJis("０９０－１２３４ー５６７８"), "090-1234-5678"},
        {ShiftJis("０３‐１―２") + "\xb0" + "9", "03-1-2-9"},
        {ShiftJis("０３（代）"), "03" + ShiftJis("（代）")},
        {"\x82", "\x82"}, // a lead byte cut off at the end stays
    };
    for (const auto& [typed, sent] : phones)
        EXPECT_EQ(composer::HalfWidthPhone(typed), sent);
    // Phones' contacts keep readings in full-width katakana, in Shift-JIS or UTF-8.
    const std::pair<std::string, bool> smartphone[] = {
        {ShiftJis("やまだ"), false}, {ShiftJis("ﾔﾏﾀﾞ"), false}, {"やまだ", true}, {"ﾔﾏﾀﾞ", true}};
    for (const auto& [typed, utf8] : smartphone) {
        composer::TCardFields card;
        card.Utf8 = utf8;
        card.FamilyKana = typed;
        card.GivenKana = utf8 ? "山田" : ShiftJis("山田");
        composer::NormaliseCardReadings(card, composer::crSmartphone);
        EXPECT_EQ(card.FamilyKana, utf8 ? "ヤマダ" : ShiftJis("ヤマダ")) << typed;
        EXPECT_EQ(composer::CheckCardFields(card), composer::TCardProblem::GivenKanaKanji);
    }
    EXPECT_STREQ(composer::CardProblemMessage(composer::TCardProblem::Tel1FullWidth),
                 "電話番号1 に全角文字が含まれています。\r\n半角数字で入力して下さい。");
}

TEST(Payload, MessageToDocomoAndSoftbank) {
    composer::TMessageFields fields;
    fields.Body = ShiftJis("こんにちは") + "\r\n" + ShiftJis("元気?") + "\r\nok";
    fields.Address = "hanako@example.jp";
    fields.Subject = ShiftJis("件名");

    const composer::TMessagePayload docomo = composer::MessagePayload(fields, composer::crDocomo);
    EXPECT_EQ(docomo.Payload, "MATMSG:TO:hanako@example.jp;SUB:" + ShiftJis("件名") +
                                  ";BODY:" + ShiftJis("こんにちは元気?") + "ok;;");
    EXPECT_EQ(composer::MessagePayload(fields, composer::crSmartphone).Payload,
              "MATMSG:TO:hanako@example.jp;SUB:" + ShiftJis("件名") +
                  ";BODY:" + ShiftJis("こんにちは") + "\r\n" + ShiftJis("元気?") + "\r\nok;;");
    EXPECT_EQ(docomo.Count, 1);
    EXPECT_FALSE(docomo.SubjectChanged);

    const std::string mail = "MAILTO:hanako@example.jp\r\nSUBJECT:" + ShiftJis("件名") +
                             "\r\nBODY:" + ShiftJis("こんにちは元気?") + "ok";
    EXPECT_EQ(composer::MessagePayload(fields, composer::crSoftbank).Payload, mail);
    EXPECT_EQ(composer::MessagePayload(fields, composer::crAU).Payload, mail);
    EXPECT_EQ(composer::MessagePayload(fields, 4).Payload, fields.Body);

    fields.Body = "a\r\nb";
    EXPECT_EQ(composer::MessagePayload(fields, composer::crAU).Payload,
              "MAILTO:hanako@example.jp\r\nSUBJECT:" + ShiftJis("件名") + "\r\nBODY:ab");
}

TEST(Payload, MessageSubjectOptions) {
    composer::TMessageFields fields;
    fields.Body = "Hi\r\n" + ShiftJis("今日は晴れです。");
    fields.Address = "a@b.c";
    fields.Subject = "typed";

    fields.SubjectOption = composer::soKeep;
    composer::TMessagePayload result = composer::MessagePayload(fields, composer::crDocomo);
    EXPECT_FALSE(result.SubjectChanged);
    EXPECT_EQ(result.Subject, "typed");

    fields.SubjectOption = composer::soFromBody;
    result = composer::MessagePayload(fields, composer::crDocomo);
    EXPECT_TRUE(result.SubjectChanged);
    EXPECT_EQ(result.Subject, "Hi\r\n" + ShiftJis("今日は晴れで")); // ten characters, CR LF two
    EXPECT_EQ(result.Payload, "MATMSG:TO:a@b.c;SUB:" + result.Subject + ";BODY:Hi" +
                                  ShiftJis("今日は晴れです。") + ";;");

    fields.SubjectOption = composer::soHello;
    result = composer::MessagePayload(fields, composer::crSoftbank);
    EXPECT_EQ(result.Subject, ShiftJis("こんにちは!"));
    EXPECT_TRUE(result.Payload.find("SUBJECT:" + ShiftJis("こんにちは!") + "\r\n") !=
                std::string::npos);
}

TEST(Payload, MessageWithoutValidAddressIsTheBody) {
    for (const char* address : {"", "taro@example", "example.jp", " "}) {
        composer::TMessageFields fields;
        fields.Body = "line1\r\nline2";
        fields.Address = address;
        fields.Subject = "s";
        fields.SubjectOption = composer::soHello;
        const composer::TMessagePayload result =
            composer::MessagePayload(fields, composer::crDocomo);
        EXPECT_EQ(result.Payload, "line1\r\nline2") << address;
        EXPECT_FALSE(result.SubjectChanged);
        EXPECT_EQ(result.Subject, "s");
    }
}

// The count follows what the symbols carry: labels, address and escapes included, so a
// body just under a threshold no longer overflows its symbols.
TEST(Payload, CountComesFromThePayloadAsWritten) {
    composer::TMessageFields fields;
    fields.Body = std::string(140, 'x');
    EXPECT_EQ(composer::MessagePayload(fields, composer::crDocomo).Count, 1);
    fields.Address = "someone@example.jp";
    EXPECT_EQ(composer::MessagePayload(fields, composer::crDocomo).Count, 2);
    fields.Address.clear();
    fields.Body = std::string(149, 'x') + ShiftJis("漢字"); // 151 characters, 153 bytes
    EXPECT_EQ(composer::MessagePayload(fields, composer::crDocomo).Count, 2);
    fields.Body = std::string(140, ';'); // 140 characters, 280 once escaped
    fields.Address = "a@b.c";
    EXPECT_EQ(composer::MessagePayload(fields, composer::crDocomo).Count, 3);
}

// A camera joins no linked symbols: the smartphone's mail stays one symbol up to the
// window's 600 characters, even in the costliest mix (Kanji cut by half-width kana).
TEST(Payload, SmartphoneMessagesUpTo600CharactersAreOneSymbol) {
    for (const int characters : {150, 300, 450, 600}) {
        composer::TMessageFields fields;
        fields.Address = "taro.yamada@example.jp";
        fields.Subject = ShiftJis("ご案内");
        for (int i = 0; fields.Body.size() < static_cast<size_t>(characters) * 3 / 2; ++i)
            fields.Body += i % 2 ? ShiftJis("会議") : "\xB6;"; // ｶ and an escaped ";"
        const std::string payload =
            composer::MessagePayload(fields, composer::crSmartphone).Payload;
        auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
        engine->SetEci(composer::PayloadEci(false));
        engine->SetCode(payload);
        const qr::engine::TQRPlan plan = qr::engine::PlanSmallestSymbols(*engine);
        EXPECT_TRUE(plan.Fits);
        EXPECT_EQ(plan.Count, 1) << characters << " characters";
        // The smallest: one version less does not hold it at that level.
        engine->SetMode(qr::engine::qrSingle);
        engine->SetVersion(plan.Version - 1);
        engine->DivideInput();
        if (plan.Version > 1) {
            EXPECT_NE(engine->BuildSymbol(1), qr::engine::brBuilt);
        }
    }
    // Past version 40's capacity the text is linked, the fewest symbols first.
    auto engine = std::make_unique<qr::engine::TQRSymbolEngine>();
    engine->SetCode(std::string(3000, 'x'));
    const qr::engine::TQRPlan plan = qr::engine::PlanSmallestSymbols(*engine);
    EXPECT_EQ(plan.Count, 2);
    EXPECT_EQ(plan.Mode, qr::engine::qrConnect);
    EXPECT_EQ(plan.Eclevel, qr::engine::ecL);
}

} // namespace

// "作成" from the fields as typed: which tab's fields go where, what is refused, and which
// fields the window writes back (also after a refusal).
TEST(Composition, FieldsAsTypedBecomeThePayloadOrTheRefusal) {
    using composer::TComposeField;
    struct Row {
        composer::TComposeTab tab;
        int carrier;
        std::vector<std::pair<TComposeField, const char*>> typed;
        composer::TComposeStatus status;
        const char* payload; // UTF-8; Shift-JIS unless `utf8`
        bool utf8;
        std::vector<std::pair<TComposeField, const char*>> changed;
        TComposeField focus; // after a refusal
    };
    const Row rows[] = {
        {composer::tabMessage,
         composer::crDocomo,
         {{composer::cfBody, "本文\nです"},
          {composer::cfAddress, "a@b.jp"},
          {composer::cfSubject, "件"}},
         composer::csReady,
         "MATMSG:TO:a@b.jp;SUB:件;BODY:本文です;;",
         false,
         {},
         composer::cfBody},
        {composer::tabMessage,
         composer::crAU,
         {},
         composer::csEmptyBody,
         "",
         false,
         {},
         composer::cfBody},
        // The first field holding a character phones cannot show gets the caret.
        {composer::tabMessage,
         composer::crDocomo,
         {{composer::cfBody, "本文"}, {composer::cfAddress, "a😀@b.jp"}},
         composer::csUnmappable,
         "",
         false,
         {},
         composer::cfAddress},
        // The smartphone refuses nothing: such a character sends every field as UTF-8.
        {composer::tabMessage,
         composer::crSmartphone,
         {{composer::cfBody, "😀"}},
         composer::csReady,
         "😀",
         true,
         {},
         composer::cfBody},
        // Telephones are made half-width before anything is checked; readings are
        // written back also when the card is refused.
        {composer::tabCard,
         composer::crDocomo,
         {{composer::cfFamilyName, "山田"},
          {composer::cfFamilyKana, "山"},
          {composer::cfTel1, "０９０－１"}},
         composer::csCardProblem,
         "",
         false,
         {{composer::cfTel1, "090-1"}, {composer::cfFamilyKana, "山"}, {composer::cfGivenKana, ""}},
         composer::cfFamilyKana},
        {composer::tabCard,
         composer::crSoftbank,
         {{composer::cfFamilyName, "山田"},
          {composer::cfFamilyKana, "やまだ"},
          {composer::cfTel1, "1"}},
         composer::csReady,
         "MEMORY:\r\nNAME1:山田 \r\nNAME2:ﾔﾏﾀﾞ \r\nTEL1:1\r\nTEL2:\r\nMAIL1:\r\nMAIL2:\r\n",
         false,
         {{composer::cfFamilyKana, "ﾔﾏﾀﾞ"}, {composer::cfGivenKana, ""}},
         composer::cfBody},
        {composer::tabBookmark,
         composer::crDocomo,
         {{composer::cfSite, "サイト"}, {composer::cfUrl, "example.jp"}},
         composer::csReady,
         "MEBKM:TITLE:サイト;URL:http\\://example.jp;;",
         false,
         {{composer::cfUrl, "http://example.jp"}},
         composer::cfBody},
        // The smartphone's bookmark is the URL alone; the site name decides nothing.
        {composer::tabBookmark,
         composer::crSmartphone,
         {{composer::cfSite, "😀"}, {composer::cfUrl, "http://example.jp"}},
         composer::csReady,
         "http://example.jp",
         false,
         {},
         composer::cfBody},
    };
    for (const Row& row : rows) {
        composer::TComposerFields fields;
        fields.Tab = row.tab;
        fields.Carrier = row.carrier;
        for (const auto& [field, text] : row.typed)
            fields.Text[field] = QString::fromUtf8(text);
        SCOPED_TRACE(testing::Message() << row.tab << "/" << row.carrier << " " << row.payload);
        const composer::TComposition composed = composer::Compose(fields);
        EXPECT_EQ(composed.Status, row.status);
        EXPECT_EQ(composed.Payload, row.utf8 ? std::string(row.payload) : ShiftJis(row.payload));
        EXPECT_EQ(composed.Utf8, row.utf8);
        EXPECT_EQ(composed.Gaps.isEmpty(), row.status != composer::csUnmappable);
        if (row.status != composer::csReady) {
            EXPECT_EQ(composed.Focus, row.focus);
        }
        std::vector<std::pair<TComposeField, QString>> changed;
        for (const auto& [field, text] : row.changed)
            changed.emplace_back(field, QString::fromUtf8(text));
        EXPECT_EQ(composed.Changed, changed);
    }
}
