#include "bench/segments_corpus.h"

namespace bench {

// Japanese texts as people send them to phones: mail and cards with digits, addresses,
// order numbers, half-width katakana and the payload formats themselves.
const std::vector<std::string>& JapaneseTexts() {
    static const std::vector<std::string> texts{
        "明日の会議は10時から第3会議室で行います。",
        "〒100-0005 東京都千代田区丸の内1-9-1 TEL 03-1234-5678",
        "お世話になっております。株式会社サンプルの山田です。",
        "ご注文番号はA-20241210-0042です。ありがとうございました。",
        "ｶﾀｶﾅ ﾃｷｽﾄ ﾃﾞｽ 12345",
        "MATMSG:TO:taro@example.jp;SUB:ご案内;BODY:明日10時に駅前で。;;",
        "MECARD:N:山田,太郎;SOUND:ﾔﾏﾀﾞ,ﾀﾛｳ;TEL:090-1234-5678;EMAIL:taro@example.jp;;",
        "東京 大阪",
        "新幹線のぞみ123号 東京10:00発 新大阪12:27着 7号車12番A席",
        "Wi-Fi: SSID=Cafe_Guest パスワードは受付でお尋ねください。",
    };
    return texts;
}

// Short English sentences of the kind a text message carries.
const std::vector<std::string>& EnglishTexts() {
    static const std::vector<std::string> texts{
        "Meeting at the station tomorrow at ten",
        "Call me back when you get this message",
        "The quick brown fox jumps over the lazy dog",
        "Your order has shipped and will arrive Monday",
        "Happy birthday! See you at the party tonight",
        "Please bring the report to room 301 by Friday",
        "Lunch is ready, come down to the kitchen now",
        "Tickets for two, row 12, seats 7 and 8",
        "Don't forget to water the plants this weekend",
        "WELCOME TO THE CONFERENCE, HALL B OPENS AT 9",
    };
    return texts;
}

// A Japanese business mail of 333 characters.
const std::string& BusinessMail() {
    static const std::string mail =
        "株式会社サンプル 営業部 山田太郎様\n\n"
        "いつもお世話になっております。株式会社テストの鈴木です。\n"
        "先日お問い合わせいただいた件につきまして、お見積書をお送りいたします。\n"
        "品番ABC-1234を100個、単価2,500円（税抜）にてご提案いたします。\n"
        "納期はご注文から約2週間を予定しております。\n"
        "ご不明な点がございましたら、03-1234-5678（平日9:00-18:00）までお電話いただくか、"
        "suzuki@example.co.jp までメールでご連絡ください。\n"
        "何卒よろしくお願い申し上げます。\n\n"
        "株式会社テスト 営業部 鈴木一郎\n"
        "〒100-0005 東京都千代田区丸の内1-9-1 TEL 03-1234-5678（代表） FAX 03-1234-5679";
    return mail;
}

} // namespace bench
