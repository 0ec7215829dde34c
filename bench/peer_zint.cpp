#include <zint.h>

#include "bench/cases.h"

namespace bench {
namespace {

// One zint_symbol is reused across builds, as our engine reuses its work areas;
// ZBarcode_Clear resets its outputs and keeps the options.
class TZintPeer final : public TPeer {
public:
    TZintPeer() : symbol_(ZBarcode_Create()) {}
    ~TZintPeer() override { ZBarcode_Delete(symbol_); }
    TZintPeer(const TZintPeer&) = delete;
    TZintPeer& operator=(const TZintPeer&) = delete;

    void Prepare(const TBenchCase& c) override {
        data_ = c.Data;
        side_ = 17 + 4 * c.Version;
        symbol_->symbology = BARCODE_QRCODE;
        symbol_->input_mode = DATA_MODE;
        symbol_->option_1 = c.Level + 1; // 1 L .. 4 H
        symbol_->option_2 = c.Version;
    }

    bool Build() override {
        ZBarcode_Clear(symbol_);
        const int rc =
            ZBarcode_Encode(symbol_, reinterpret_cast<const unsigned char*>(data_.data()),
                            static_cast<int>(data_.size()));
        return rc < ZINT_ERROR && symbol_->width == side_ && symbol_->rows == side_;
    }

    int Side() const override { return symbol_->width; }
    bool Dark(int row, int col) const override {
        return (symbol_->encoded_data[row][col >> 3] >> (col & 7)) & 1;
    }

private:
    zint_symbol* symbol_;
    std::string data_;
    int side_ = 0;
};

} // namespace

std::unique_ptr<TPeer> MakeZintPeer() {
    return std::make_unique<TZintPeer>();
}

} // namespace bench
