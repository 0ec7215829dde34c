// The same random fields through the window's "作成" and through varoku-qr, every
// payload kind for every carrier each offers, read back as a phone reads them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "composer/shift_jis_text.h"
#include "platform/radio_group.h"
#include "qr/engine/bitstream.h"
#include "qr/qr_code.h"
#include "tests/cli/run_cli.h"
#include "tests/phone/phone_cases.h"
#include "tests/support/qt_picture_reader.h"
#include "tests/window/window_fixture.h"

namespace {

using phone_test::kTargets;
using phone_test::TKind;

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns at every alert the window pops up; hundreds of those
// would bury the table.
void QuietAboutRaise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support raise()"))) return;
    if (previousHandler) previousHandler(type, context, text);
}

class PhoneWindow : public window_test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        previousHandler = qInstallMessageHandler(QuietAboutRaise);
    }
    void TearDown() override {
        qInstallMessageHandler(previousHandler);
        WindowTest::TearDown();
    }
    void Fill(TKind kind, int target, const phone_test::TTyped& t) {
        form->sPage2->setCurrentIndex(kind);
        form->CaraiaGroup1->SetItemIndex(target);
        switch (kind) {
        case phone_test::kdMail:
            form->SubjectGroup1->SetItemIndex(0); // the subject as typed
            form->Memo1->setPlainText(Q(t.Body));
            form->MailComb1->setEditText(Q(t.To));
            form->SubjectEdit1->setText(Q(t.Subject));
            break;
        case phone_test::kdCard:
            form->SeiEdit1->setText(Q(t.Family));
            form->MeiEdit1->setText(Q(t.Given));
            form->kanaEdit1->setText(Q(t.FamilyKana));
            form->kanaEdit2->setText(Q(t.GivenKana));
            form->PhoneEdit1->setText(Q(t.Tel1));
            form->PhoneEdit2->setText(Q(t.Tel2));
            form->AddresEdit1->setText(Q(t.Mail1));
            form->AddresEdit2->setText(Q(t.Mail2));
            form->Memo2->setPlainText(Q(t.Memo));
            break;
        case phone_test::kdBookmark:
            form->SiteEdit1->setText(Q(t.Title));
            form->URLEdit1->setText(Q(t.Url));
            break;
        }
    }
};

TEST_F(PhoneWindow, CodesShowWhatWasTyped) {
    Start();
    phone_test::TTally tally("the window");
    const int offered =
        std::min(static_cast<int>(form->CaraiaGroup1->Items().size()), phone_test::kTargetCount);
    for (int kind = 0; kind < 3; ++kind) {
        for (int target = offered; target < phone_test::kTargetCount; ++target)
            tally.NotOffered(TKind(kind), target,
                             "the carrier group has " + std::to_string(offered) + " items");
        for (int target = 0; target < offered; ++target) {
            for (int i = 0; i < phone_test::CasesPerTarget(); ++i) {
                const phone_test::TTyped typed = phone_test::Generate(TKind(kind), target, i);
                Fill(TKind(kind), target, typed);
                ForgetBoxes();
                form->Button1Click();
                if (!form->QRCode1->SymbolDisped()) {
                    // Only the refusal of a text too long for four symbols is expected.
                    ASSERT_EQ(Boxes().size(), 1u) << phone_test::kKindNames[kind] << " " << i;
                    const QString box = Boxes()[0].Text;
                    ASSERT_TRUE(box.contains(QStringLiteral("収まらない")) ||
                                box.contains(QStringLiteral("長すぎる")))
                        << box.toStdString();
                    tally.Refused(TKind(kind), target);
                    continue;
                }
                EXPECT_TRUE(Boxes().empty()) << Boxes()[0].Text.toStdString();
                const std::string& code = form->QRCode1->Code();
                // The smartphone target goes in UTF-8 only where Shift-JIS cannot carry it.
                const bool utf8 = form->QRCode1->Eci() == qr::engine::kEciUtf8;
                const std::string meant = utf8 ? code : composer::FromShiftJis(code).toStdString();
                const auto picture = test_support::GreyFromImage(form->QRCode1->BitmapImage());
                if (!tally.Check(TKind(kind), target, i, typed, meant, picture,
                                 form->QRCode1->Count()))
                    return;
            }
        }
    }
    tally.Report();
}

std::vector<std::string> Arguments(TKind kind, const phone_test::TTyped& t) {
    std::vector<std::string> args;
    auto add = [&](const char* option, const std::string& value) {
        if (!value.empty()) args.insert(args.end(), {option, value});
    };
    switch (kind) {
    case phone_test::kdMail:
        args = {"mail"};
        add("--to", t.To);
        add("--subject", t.Subject);
        add("--body", t.Body);
        break;
    case phone_test::kdCard:
        args = {"card"};
        add("--family", t.Family);
        add("--given", t.Given);
        add("--family-kana", t.FamilyKana);
        add("--given-kana", t.GivenKana);
        add("--tel", t.Tel1);
        add("--tel2", t.Tel2);
        add("--mail", t.Mail1);
        add("--mail2", t.Mail2);
        add("--memo", t.Memo);
        break;
    case phone_test::kdBookmark:
        args = {"bookmark"};
        add("--title", t.Title);
        add("--url", t.Url);
        break;
    }
    return args;
}

std::vector<std::string> Plus(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The --carrier words varoku-qr takes for a kind: the carrier's own, none when the code
// is the same for every carrier and the command takes no carrier, or refused (false,
// with varoku-qr's message).
bool CarrierArguments(TKind kind, int target, std::vector<std::string>& carrier, std::string& why) {
    const auto probe = Arguments(kind, phone_test::Generate(kind, 0, 0));
    carrier = {"--carrier", kTargets[target].CliName};
    const cli_test::TRun run = cli_test::RunQr(Plus(Plus(probe, carrier), {"--print-payload"}));
    if (run.Exit == 0) return true;
    why = run.Err.substr(0, run.Err.find('\n'));
    carrier.clear();
    return phone_test::CarrierFree(kind, target) &&
           cli_test::RunQr(Plus(probe, {"--print-payload"})).Exit == 0;
}

TEST(PhoneCli, CodesShowWhatWasTyped) {
    cli_test::TScratchDir dir;
    const std::string png = dir.Path() + "/code.png";
    phone_test::TTally tally("varoku-qr");
    for (int kind = 0; kind < 3; ++kind) {
        for (int target = 0; target < phone_test::kTargetCount; ++target) {
            std::vector<std::string> carrier;
            std::string why;
            if (!CarrierArguments(TKind(kind), target, carrier, why)) {
                ASSERT_FALSE(why.empty()) << "varoku-qr refused without a message";
                tally.NotOffered(TKind(kind), target, why);
                continue;
            }
            for (int i = 0; i < phone_test::CasesPerTarget(); ++i) {
                const phone_test::TTyped typed = phone_test::Generate(TKind(kind), target, i);
                const auto args = Plus(Arguments(TKind(kind), typed), carrier);
                const cli_test::TRun drawn = cli_test::RunQr(Plus(args, {"-o", png}));
                if (drawn.Exit == 1 && drawn.Err.find("does not fit") != std::string::npos) {
                    tally.Refused(TKind(kind), target);
                    continue;
                }
                ASSERT_EQ(drawn.Exit, 0) << drawn.Err;
                const cli_test::TRun payload = cli_test::RunQr(Plus(args, {"--print-payload"}));
                ASSERT_EQ(payload.Exit, 0) << payload.Err;
                ASSERT_TRUE(payload.Out.ends_with('\n'));
                const QImage image(Q(png));
                ASSERT_FALSE(image.isNull()) << "varoku-qr's PNG does not load";
                if (!tally.Check(TKind(kind), target, i, typed,
                                 payload.Out.substr(0, payload.Out.size() - 1),
                                 test_support::GreyFromImage(image), -1))
                    return;
            }
        }
    }
    tally.Report();
}

} // namespace
