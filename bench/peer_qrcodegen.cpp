#include <qrcodegen.hpp>

#include <optional>
#include <stdexcept>

#include "bench/cases.h"

namespace bench {
namespace {

using qrcodegen::QrCode;
using qrcodegen::QrSegment;

class TQrcodegenPeer final : public TPeer {
public:
    void Prepare(const TBenchCase& c) override {
        data_ = c.Data;
        version_ = c.Version;
        ecc_ = static_cast<QrCode::Ecc>(c.Level);
    }

    bool Build() override {
        try {
            // makeSegments picks one mode for the whole text, as encodeText does;
            // min = max version and no level boost hold the symbol to the case.
            code_.emplace(QrCode::encodeSegments(QrSegment::makeSegments(data_.c_str()), ecc_,
                                                 version_, version_, -1, false));
        } catch (const std::exception&) {
            code_.reset();
            return false;
        }
        return code_->getVersion() == version_;
    }

    int Side() const override { return code_ ? code_->getSize() : 0; }
    bool Dark(int row, int col) const override { return code_->getModule(col, row); }

private:
    std::string data_;
    int version_ = 1;
    QrCode::Ecc ecc_ = QrCode::Ecc::LOW;
    std::optional<QrCode> code_;
};

} // namespace

std::unique_ptr<TPeer> MakeQrcodegenPeer() {
    return std::make_unique<TQrcodegenPeer>();
}

} // namespace bench
