#define ZX_USE_UTF8 1
#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>

#include <optional>
#include <stdexcept>

#include "bench/cases.h"

// Debian installs only zxing-cpp's MultiFormatWriter header, which cannot force a
// version. The library exports its QR writer, whose 1.4 declaration is restated here
// with the same members in the same order; verification decodes every symbol it
// makes, so a mismatch shows at once.
namespace ZXing::QRCode {

enum class ErrorCorrectionLevel { Low, Medium, Quality, High, Invalid };

class Writer {
public:
    Writer();
    Writer& setMargin(int margin) {
        margin_ = margin;
        return *this;
    }
    Writer& setErrorCorrectionLevel(ErrorCorrectionLevel level) {
        level_ = level;
        return *this;
    }
    Writer& setVersion(int version) {
        version_ = version;
        return *this;
    }
    BitMatrix encode(const std::string& contents, int width, int height) const;

private:
    int margin_;
    ErrorCorrectionLevel level_;
    CharacterSet encoding_;
    int version_;
    bool useGs1Format_;
    int maskPattern_;
};

} // namespace ZXing::QRCode

namespace bench {
namespace {

class TZxingPeer final : public TPeer {
public:
    void Prepare(const TBenchCase& c) override {
        data_ = c.Data;
        side_ = 17 + 4 * c.Version;
        writer_.setMargin(0)
            .setErrorCorrectionLevel(static_cast<ZXing::QRCode::ErrorCorrectionLevel>(c.Level))
            .setVersion(c.Version);
    }

    bool Build() override {
        try {
            // Width and height 0: the symbol at one pixel per module.
            matrix_.emplace(writer_.encode(data_, 0, 0));
        } catch (const std::exception&) {
            matrix_.reset();
            return false;
        }
        return matrix_->width() == side_ && matrix_->height() == side_;
    }

    int Side() const override { return matrix_ ? matrix_->width() : 0; }
    bool Dark(int row, int col) const override { return matrix_->get(col, row); }

private:
    ZXing::QRCode::Writer writer_;
    std::string data_;
    int side_ = 0;
    std::optional<ZXing::BitMatrix> matrix_;
};

} // namespace

std::unique_ptr<TPeer> MakeZxingPeer() {
    return std::make_unique<TZxingPeer>();
}

} // namespace bench
