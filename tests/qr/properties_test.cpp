// The component's properties: what a write accepts, what it repaints, how properties
// are coupled, the derived geometry and the order of events.
#include <gtest/gtest.h>

#include <functional>

#include "tests/qr/qr_test_util.h"

namespace {

using qr::TQRCode;
using qr_test::TEventLog;

class Properties : public qr_test::AppTest {
protected:
    void SetUp() override {
        log.Attach(code);
        code.SetCode("0123456789ABCDEF");
        log.Reset();
    }

    TQRCode code;
    TEventLog log;
};

TEST_F(Properties, StartsWithTheDesignedValues) {
    TQRCode fresh;
    EXPECT_EQ(fresh.Code(), "");
    EXPECT_EQ(fresh.Mode(), qr::qrSingle);
    EXPECT_EQ(fresh.Count(), 1);
    EXPECT_EQ(fresh.Column(), 16);
    EXPECT_EQ(fresh.Numbering(), qr::nbrIfVoid);
    EXPECT_EQ(fresh.CommentUpLoc(), qr::locLeft);
    EXPECT_EQ(fresh.Version(), 1);
    EXPECT_EQ(fresh.Emode(), -1);
    EXPECT_EQ(fresh.Masktype(), -1);
    EXPECT_EQ(fresh.Segments(), qr::engine::sgGreedy);
    EXPECT_EQ(fresh.Pxmag(), 1);
    EXPECT_EQ(fresh.BackColor(), 0xFFFFFFu);
    EXPECT_EQ(fresh.SymbolColor(), 0u);
    EXPECT_TRUE(fresh.SymbolEnabled());
    EXPECT_FALSE(fresh.SymbolDisped());
    EXPECT_FALSE(fresh.ClipWatch());
    EXPECT_FALSE(fresh.Picture().HasGraphic()); // nothing drawn until a repainting write
}

struct IgnoredWrite {
    const char* name;
    std::function<void(TQRCode&)> write;
    std::function<int(const TQRCode&)> read;
};

TEST_F(Properties, OutOfRangeWritesStoreNothingAndDoNotRepaint) {
    const IgnoredWrite rows[] = {
        {"Column 0", [](TQRCode& c) { c.SetColumn(0); },
         [](const TQRCode& c) { return c.Column(); }},
        {"Column 1025", [](TQRCode& c) { c.SetColumn(1025); },
         [](const TQRCode& c) { return c.Column(); }},
        {"Count 0", [](TQRCode& c) { c.SetCount(0); }, [](const TQRCode& c) { return c.Count(); }},
        {"Count 1025", [](TQRCode& c) { c.SetCount(1025); },
         [](const TQRCode& c) { return c.Count(); }},
        {"Version 0", [](TQRCode& c) { c.SetVersion(0); },
         [](const TQRCode& c) { return c.Version(); }},
        {"Version 41", [](TQRCode& c) { c.SetVersion(41); },
         [](const TQRCode& c) { return c.Version(); }},
        {"Pxmag 0", [](TQRCode& c) { c.SetPxmag(0); }, [](const TQRCode& c) { return c.Pxmag(); }},
        {"Pxmag 11", [](TQRCode& c) { c.SetPxmag(11); },
         [](const TQRCode& c) { return c.Pxmag(); }},
        {"Eclevel 4", [](TQRCode& c) { c.SetEclevel(4); },
         [](const TQRCode& c) { return c.Eclevel(); }},
        {"Eclevel -1", [](TQRCode& c) { c.SetEclevel(-1); },
         [](const TQRCode& c) { return c.Eclevel(); }},
        {"Emode 4", [](TQRCode& c) { c.SetEmode(4); }, [](const TQRCode& c) { return c.Emode(); }},
        {"Emode -2", [](TQRCode& c) { c.SetEmode(-2); },
         [](const TQRCode& c) { return c.Emode(); }},
        {"Masktype 8", [](TQRCode& c) { c.SetMasktype(8); },
         [](const TQRCode& c) { return c.Masktype(); }},
        {"Masktype -2", [](TQRCode& c) { c.SetMasktype(-2); },
         [](const TQRCode& c) { return c.Masktype(); }},
        {"Angle 45", [](TQRCode& c) { c.SetAngle(45); },
         [](const TQRCode& c) { return c.Angle(); }},
        {"Angle 360", [](TQRCode& c) { c.SetAngle(360); },
         [](const TQRCode& c) { return c.Angle(); }},
        {"Angle -90", [](TQRCode& c) { c.SetAngle(-90); },
         [](const TQRCode& c) { return c.Angle(); }},
        {"Mode 3", [](TQRCode& c) { c.SetMode(static_cast<qr::TQRMode>(3)); },
         [](const TQRCode& c) { return int(c.Mode()); }},
        {"Segments 2", [](TQRCode& c) { c.SetSegments(static_cast<qr::engine::TQRSegments>(2)); },
         [](const TQRCode& c) { return int(c.Segments()); }},
        {"Numbering 4", [](TQRCode& c) { c.SetNumbering(static_cast<qr::TNumbering>(4)); },
         [](const TQRCode& c) { return int(c.Numbering()); }},
        {"CommentUpLoc 3", [](TQRCode& c) { c.SetCommentUpLoc(static_cast<qr::TLocation>(3)); },
         [](const TQRCode& c) { return int(c.CommentUpLoc()); }},
        {"ComFont nullptr", [](TQRCode& c) { c.SetComFont(nullptr); },
         [](const TQRCode& c) { return c.ComFont().Height; }},
        {"ComFont own object", [](TQRCode& c) { c.SetComFont(&c.ComFont()); },
         [](const TQRCode& c) { return c.ComFont().Height; }},
    };
    for (const IgnoredWrite& row : rows) {
        SCOPED_TRACE(row.name);
        const int before = row.read(code);
        log.Reset();
        row.write(code);
        EXPECT_EQ(row.read(code), before);
        EXPECT_EQ(log.Passes, 0);
    }
}

struct AcceptedWrite {
    const char* name;
    std::function<void(TQRCode&)> write;
    std::function<bool(const TQRCode&)> stored;
    int passes;
};

TEST_F(Properties, AcceptedWritesStoreAndRepaintAsTheirRuleSays) {
    const AcceptedWrite rows[] = {
        {"Angle 270", [](TQRCode& c) { c.SetAngle(270); },
         [](const TQRCode& c) { return c.Angle() == 270; }, 1},
        {"Version 40", [](TQRCode& c) { c.SetVersion(40); },
         [](const TQRCode& c) { return c.Version() == 40; }, 1},
        {"Pxmag 10", [](TQRCode& c) { c.SetPxmag(10); },
         [](const TQRCode& c) { return c.Pxmag() == 10; }, 1},
        {"Segments optimal", [](TQRCode& c) { c.SetSegments(qr::engine::sgOptimal); },
         [](const TQRCode& c) { return c.Segments() == qr::engine::sgOptimal; }, 1},
        {"Count 1024", [](TQRCode& c) { c.SetCount(1024); },
         [](const TQRCode& c) { return c.Count() == 16; }, 1},
        {"Column 1024", [](TQRCode& c) { c.SetColumn(1024); },
         [](const TQRCode& c) { return c.Column() == 1024; }, 1},
        {"SymbolLeft -7", [](TQRCode& c) { c.SetSymbolLeft(-7); },
         [](const TQRCode& c) { return c.SymbolLeft() == -7; }, 1},
        {"SymbolSpaceDown 9", [](TQRCode& c) { c.SetSymbolSpaceDown(9); },
         [](const TQRCode& c) { return c.SymbolSpaceDown() == 9; }, 1},
        {"BackColor", [](TQRCode& c) { c.SetBackColor(0x123456); },
         [](const TQRCode& c) { return c.BackColor() == 0x123456u; }, 1},
        {"Reverse", [](TQRCode& c) { c.SetReverse(true); },
         [](const TQRCode& c) { return c.Reverse(); }, 1},
        {"CommentUp", [](TQRCode& c) { c.SetCommentUp("A"); },
         [](const TQRCode& c) { return c.CommentUp() == "A"; }, 1},
        // Numbering matters only when there are several symbols.
        {"Numbering with Count 1", [](TQRCode& c) { c.SetNumbering(qr::nbrHead); },
         [](const TQRCode& c) { return c.Numbering() == qr::nbrHead; }, 0},
        {"Numbering with Count 2",
         [](TQRCode& c) {
             c.SetCount(2);
             c.SetNumbering(qr::nbrTail);
         },
         [](const TQRCode& c) { return c.Numbering() == qr::nbrTail && c.Count() == 2; }, 2},
        // A location matters only when there is a text to place.
        {"CommentUpLoc without caption", [](TQRCode& c) { c.SetCommentUpLoc(qr::locRight); },
         [](const TQRCode& c) { return c.CommentUpLoc() == qr::locRight; }, 0},
        {"CommentDownLoc with caption",
         [](TQRCode& c) {
             c.SetCommentDown("No.");
             c.SetCommentDownLoc(qr::locCenter);
         },
         [](const TQRCode& c) { return c.CommentDownLoc() == qr::locCenter; }, 2},
        {"SymbolDebug is stored only", [](TQRCode& c) { c.SetSymbolDebug(true); },
         [](const TQRCode& c) { return c.SymbolDebug(); }, 0},
        {"ClearOption is stored only", [](TQRCode& c) { c.SetClearOption(true); },
         [](const TQRCode& c) { return c.ClearOption(); }, 0},
    };
    for (const AcceptedWrite& row : rows) {
        SCOPED_TRACE(row.name);
        TQRCode fresh;
        TEventLog freshLog;
        freshLog.Attach(fresh);
        fresh.SetCode("0123456789ABCDEF");
        freshLog.Reset();
        row.write(fresh);
        EXPECT_TRUE(row.stored(fresh));
        EXPECT_EQ(freshLog.Passes, row.passes);
    }
}

TEST_F(Properties, AutomaticModeAndMaskResetWhatTheLastBuildReported) {
    code.SetEmode(2);
    EXPECT_EQ(code.EmodeR(), 2);
    code.SetMasktype(5);
    EXPECT_EQ(code.MasktypeR(), 5);
    code.SetEmode(-1);
    code.SetMasktype(-1);
    // The repaint of the last write built the symbol again and reported its choices.
    EXPECT_NE(code.EmodeR(), 2);
    EXPECT_GE(code.MasktypeR(), 0);
    code.SetSymbolEnabled(false);
    code.SetEmode(-1);
    code.SetMasktype(-1);
    EXPECT_EQ(code.EmodeR(), -1);
    EXPECT_EQ(code.MasktypeR(), -1);
}

TEST_F(Properties, MatchTransparentAndSymbolPictureStayConsistent) {
    code.SetSymbolPicture(qr::picEMF);
    EXPECT_EQ(code.SymbolPicture(), qr::picBMP); // vector pictures need Match
    EXPECT_EQ(log.Passes, 0);

    code.SetMatch(true);
    code.SetSymbolPicture(qr::picEMF);
    EXPECT_EQ(code.SymbolPicture(), qr::picEMF);
    EXPECT_EQ(log.Passes, 2);

    code.SetTransparent(true);
    EXPECT_FALSE(code.Match());
    EXPECT_EQ(code.SymbolPicture(), qr::picBMP);

    code.SetMatch(true);
    EXPECT_FALSE(code.Transparent());
    code.SetSymbolPicture(qr::picWMF);
    code.SetMatch(false);
    EXPECT_EQ(code.SymbolPicture(), qr::picBMP);
}

TEST_F(Properties, ComFontIsCopiedNotTaken) {
    qr::TFont font;
    font.Height = -20;
    font.Color = 0x0000FF;
    code.SetComFont(&font);
    EXPECT_EQ(log.Passes, 1);
    font.Height = -30;
    EXPECT_EQ(code.ComFont().Height, -20);
    EXPECT_EQ(code.ComFont().Color, 0x0000FFu);
}

TEST_F(Properties, SymbolEnabledBatchesWritesIntoOnePass) {
    code.SetSymbolEnabled(true); // already true: nothing
    EXPECT_EQ(log.Passes, 0);

    code.SetSymbolEnabled(false);
    code.SetVersion(3);
    code.SetPxmag(2);
    code.SetEclevel(3);
    code.SetCode("BATCHED");
    EXPECT_EQ(log.Passes, 0);
    EXPECT_TRUE(log.Events.empty()); // code events are suspended as well
    EXPECT_EQ(code.Code(), "BATCHED");

    code.SetSymbolEnabled(true);
    EXPECT_EQ(log.Passes, 1);
    EXPECT_TRUE(code.SymbolDisped());
    const auto read = test_support::ReadPicture(code.BitmapImage());
    ASSERT_TRUE(read.Valid) << read.Error;
    EXPECT_EQ(read.Bytes, "BATCHED");
    EXPECT_EQ(read.EcLevel, "H");
}

TEST_F(Properties, CodeWriteFiresItsEventsInOrderWithTheOldTextVisibleFirst) {
    std::string seenByChangeCode;
    code.OnChangeCode = [&](TQRCode* sender, bool watch) {
        seenByChangeCode = sender->Code();
        log.Add("ChangeCode", watch);
    };
    code.SetCode("NEW");
    EXPECT_EQ(seenByChangeCode, "0123456789ABCDEF");
    const std::vector<std::string> expected{"ChangeCode:0", "PaintSymbol:0", "PaintedSymbol:0",
                                            "ChangedCode:0"};
    EXPECT_EQ(log.Events, expected);
}

TEST_F(Properties, DesignModeCodeWriteOnlyStoresAndRepaints) {
    code.SetDesignMode(true);
    code.SetCode("DESIGN");
    const std::vector<std::string> expected{"PaintSymbol:0", "PaintedSymbol:0"};
    EXPECT_EQ(log.Events, expected);
    EXPECT_EQ(code.Code(), "DESIGN");
}

TEST_F(Properties, DerivedGeometry) {
    struct Row {
        int version, pxmag, up, down, left, right, count, column;
        int quiet, width, widthS, widthA, height, heightS, heightA;
    };
    const Row rows[] = {
        {1, 1, 0, 0, 0, 0, 1, 16, 4, 29, 29, 29, 29, 29, 29},
        {10, 2, 0, 0, 0, 0, 1, 16, 8, 130, 130, 130, 130, 130, 130},
        {1, 3, 0, 0, 0, 0, 1, 16, 12, 87, 87, 87, 87, 87, 87},
        {1, 1, 5, 7, 2, 3, 3, 4, 4, 29, 34, 102, 29, 41, 41}, // 3 cells wide, 1 high
        {1, 1, 5, 7, 2, 3, 5, 4, 4, 29, 34, 136, 29, 41, 82}, // 4 wide, 2 high
        {1, 1, 0, 0, 0, 0, 8, 4, 4, 29, 29, 116, 29, 29, 58}, // exactly 2 rows
        {40, 10, 0, 0, 0, 0, 1, 1, 40, 1850, 1850, 1850, 1850, 1850, 1850},
    };
    code.SetSymbolEnabled(false); // a pass would lower Count to what the text allows
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "version " << row.version << " count " << row.count);
        code.SetVersion(row.version);
        code.SetPxmag(row.pxmag);
        code.SetSymbolSpaceUp(row.up);
        code.SetSymbolSpaceDown(row.down);
        code.SetSymbolSpaceLeft(row.left);
        code.SetSymbolSpaceRight(row.right);
        code.SetCount(row.count);
        code.SetColumn(row.column);
        EXPECT_EQ(code.QuietZone(), row.quiet);
        EXPECT_EQ(code.SymbolWidth(), row.width);
        EXPECT_EQ(code.SymbolWidthS(), row.widthS);
        EXPECT_EQ(code.SymbolWidthA(), row.widthA);
        EXPECT_EQ(code.SymbolHeight(), row.height);
        EXPECT_EQ(code.SymbolHeightS(), row.heightS);
        EXPECT_EQ(code.SymbolHeightA(), row.heightA);
    }
}

TEST_F(Properties, CapacityFollowsTheReportedMode) {
    code.SetSymbolEnabled(false);
    const std::pair<int, int> rows[] = {{0, 41}, {1, 25}, {-1, 25}, {2, 17}, {3, 10}};
    for (const auto& [mode, capacity] : rows) {
        code.SetEmode(mode);
        EXPECT_EQ(code.Capacity(), capacity) << "mode " << mode;
    }
    code.SetCount(3);
    code.SetEmode(0);
    EXPECT_EQ(code.Capacity(), 123);
}

TEST_F(Properties, PassPutsBackPositionAndCaptionsAndNumbersTheCells) {
    code.SetSymbolEnabled(false);
    code.SetSymbolLeft(3);
    code.SetSymbolTop(4);
    code.SetCommentUp("");
    code.SetCommentDown("No.");
    code.SetNumbering(qr::nbrTail);
    code.SetCount(3);
    code.SetColumn(2);
    std::vector<std::string> seen;
    code.OnPaintedSymbol = [&](TQRCode* c, bool) {
        seen.push_back(std::to_string(c->SymbolLeft()) + "," + std::to_string(c->SymbolTop()) +
                       "," + c->CommentUp() + "," + c->CommentDown());
    };
    code.SetSymbolEnabled(true);
    ASSERT_TRUE(code.SymbolDisped());
    EXPECT_EQ(seen, std::vector<std::string>{"3,4,,No."});
    EXPECT_EQ(code.SymbolLeft(), 3);
    EXPECT_EQ(code.SymbolTop(), 4);
    EXPECT_EQ(code.CommentDown(), "No.");
}

TEST(Numbering, CaptionOfEachCell) {
    struct Row {
        qr::TNumbering numbering;
        const char* text;
        int k;
        const char* expected;
    };
    const Row rows[] = {
        {qr::nbrNone, "", 1, ""},    {qr::nbrNone, "A", 2, "A"},
        {qr::nbrHead, "", 3, "3"},   {qr::nbrHead, "A", 2, "2 A"},
        {qr::nbrTail, "", 1, "1"},   {qr::nbrTail, "No.", 12, "No. 12"},
        {qr::nbrIfVoid, "", 2, "2"}, {qr::nbrIfVoid, "A", 2, "A"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(qr::NumberedComment(row.numbering, row.text, row.k), row.expected)
            << int(row.numbering) << " '" << row.text << "' " << row.k;
    }
}

TEST_F(Properties, ClearOptionClearsAtOnceOnlyAfterAFailedPass) {
    ASSERT_TRUE(code.SymbolDisped());
    code.SetClearOption(true);
    EXPECT_TRUE(code.Picture().HasGraphic());

    code.SetClearOption(false);
    code.SetEmode(0); // letters in numeric mode: the symbol cannot be built
    EXPECT_FALSE(code.SymbolDisped());
    EXPECT_TRUE(code.Picture().HasGraphic()); // the old picture stays without ClearOption
    code.SetClearOption(true);
    EXPECT_FALSE(code.Picture().HasGraphic());
}

} // namespace
