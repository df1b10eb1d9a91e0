// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/kestrowctl/TraceBackend.h"

namespace {

class TraceInterface : public HidInterface {
public:
    TraceInterface(std::unique_ptr<HidInterface> inner, std::shared_ptr<TraceHidBackend::Sink> sink)
        : inner_(std::move(inner)), sink_(std::move(sink)) {}

    uint16_t VendorId() const override { return inner_->VendorId(); }
    uint16_t ProductId() const override { return inner_->ProductId(); }
    const std::vector<uint8_t>& ReportDescriptorBytes() const override {
        return inner_->ReportDescriptorBytes();
    }
    size_t CollectionIndex() const override { return inner_->CollectionIndex(); }

    HidTransferResult Read(uint8_t* buffer, size_t length, size_t& transferred,
                           uint32_t timeoutMs) override {
        const HidTransferResult result = inner_->Read(buffer, length, transferred, timeoutMs);
        if (result == HidTransferResult::Ok) {
            sink_->Write('<', buffer, transferred);
        }
        return result;
    }
    HidTransferResult Write(const uint8_t* buffer, size_t length, size_t& transferred,
                            uint32_t timeoutMs) override {
        const HidTransferResult result = inner_->Write(buffer, length, transferred, timeoutMs);
        // Only a report that left is part of the exchange.
        if (result == HidTransferResult::Ok) {
            sink_->Write('>', buffer, length);
        }
        return result;
    }
    void Cancel() override { inner_->Cancel(); }

private:
    std::unique_ptr<HidInterface> inner_;
    std::shared_ptr<TraceHidBackend::Sink> sink_;
};

} // namespace

TraceHidBackend::TraceHidBackend(std::shared_ptr<HidBackend> inner, std::FILE* out)
    : inner_(std::move(inner)), sink_(std::make_shared<Sink>()) {
    sink_->out = out;
}

bool TraceHidBackend::ListInterfaces(std::vector<std::string>& paths) {
    return inner_->ListInterfaces(paths);
}

std::unique_ptr<HidInterface>
TraceHidBackend::Open(const std::string& path, const HidOpenFlags& flags, HidOpenError& error) {
    std::unique_ptr<HidInterface> handle = inner_->Open(path, flags, error);
    if (handle == nullptr || !flags.write) {
        return handle;
    }
    return std::make_unique<TraceInterface>(std::move(handle), sink_);
}

bool TraceHidBackend::PathExists(const std::string& path) {
    return inner_->PathExists(path);
}

std::string TraceHidBackend::FormatLine(char direction, const uint8_t* bytes, size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line;
    line.reserve(2 + 2 * length);
    line.push_back(direction);
    line.push_back(' ');
    for (size_t i = 0; i < length; ++i) {
        line.push_back(kDigits[bytes[i] >> 4]);
        line.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return line;
}

void TraceHidBackend::Sink::Write(char direction, const uint8_t* bytes, size_t length) {
    const std::string line = FormatLine(direction, bytes, length) + "\n";
    std::lock_guard guard(lock);
    std::fputs(line.c_str(), out);
    std::fflush(out);
}
