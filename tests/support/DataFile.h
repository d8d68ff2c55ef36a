#pragma once

#include "support/FakePlatform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillery::testing {

inline constexpr const wchar_t* kBaseAddress = L"http://www.example.com/quillery";

// Builds a data file record by record; records not set are zero bytes.
class DataFile {
public:
    DataFile& Header(std::int16_t flag, const std::wstring& base = kBaseAddress) {
        return Record(1, L"Header", base, flag);
    }
    DataFile& Item(int item, const std::wstring& description, const std::wstring& text) {
        return Record(item + 2, description, text, 0);
    }
    DataFile& Record(int number, const std::wstring& description, const std::wstring& text,
                     std::int16_t flag) {
        const auto record = RecordBytesOf(description, text, flag);
        const std::size_t offset = static_cast<std::size_t>(number - 1) * 232;
        if (bytes.size() < offset + 232) {
            bytes.resize(offset + 232, 0);
        }
        std::copy(record.begin(), record.end(), bytes.begin() + static_cast<long>(offset));
        return *this;
    }
    std::vector<std::uint8_t> bytes;
};

} // namespace quillery::testing
