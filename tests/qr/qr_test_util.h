// Shared helpers of the component's tests: the headless application, a counter of
// paint passes and events, and reading the drawn picture back.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRect>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qr/qr_code.h"
#include "tests/support/qt_app.h"
#include "tests/support/qt_picture_reader.h"

namespace qr_test {

inline void EnsureApp() {
    test_support::EnsureQtApp();
}

// Base of fixtures whose members are widgets: the application exists before them.
class AppTest : public ::testing::Test {
protected:
    AppTest() { EnsureApp(); }
};

// Records every event of a component as "<name>:<watch>".
struct TEventLog {
    std::vector<std::string> Events;
    int Passes = 0;

    void Attach(qr::TQRCode& code) {
        code.OnChangeCode = [this](qr::TQRCode*, bool w) { Add("ChangeCode", w); };
        code.OnPaintSymbol = [this](qr::TQRCode*, bool w) {
            ++Passes;
            Add("PaintSymbol", w);
        };
        code.OnPaintedSymbol = [this](qr::TQRCode*, bool w) { Add("PaintedSymbol", w); };
        code.OnChangedCode = [this](qr::TQRCode*, bool w) { Add("ChangedCode", w); };
    }
    void Add(const char* name, bool watch) {
        Events.push_back(std::string(name) + (watch ? ":1" : ":0"));
    }
    void Reset() {
        Events.clear();
        Passes = 0;
    }
};

inline bool IsColor(const QImage& image, int x, int y, QRgb rgb) {
    return (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
}

// Smallest rectangle holding every pixel of the colour; null when there is none.
inline QRect BoundsOf(const QImage& image, QRgb rgb) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (IsColor(image, x, y, rgb)) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

inline bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

} // namespace qr_test
