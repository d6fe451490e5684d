// Helpers for tests that read and write real files: a temporary folder
// removed afterwards, whole-file reads and writes, and a byte builder for
// hand-made headers. Portable: the native and the Windows tests share them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace vx::test {

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder() {
        std::random_device entropy;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0;; ++attempt) {
            path_ = base / ("vx-test-" + std::to_string(entropy()) + "-" + std::to_string(attempt));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }
    // The folder and a file in it as the platform's wide strings.
    std::wstring WidePath() const { return path_.wstring(); }
    std::wstring File(const std::wstring& name) const { return (path_ / name).wstring(); }

    std::filesystem::path Write(const std::filesystem::path& name, const std::vector<std::uint8_t>& bytes) const {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

    // Names of everything in the folder, for checking that nothing stray is left.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

// The whole file; empty when it cannot be read.
inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Builds a file byte by byte; Put* write at a position, growing the file.
class Bytes {
public:
    Bytes() = default;
    Bytes(std::initializer_list<int> values) { Append(values); }

    Bytes& Append(std::initializer_list<int> values) {
        for (int v : values) data_.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& AppendText(const std::string& text) {
        data_.insert(data_.end(), text.begin(), text.end());
        return *this;
    }
    Bytes& AppendZeros(std::size_t count) {
        data_.resize(data_.size() + count, 0);
        return *this;
    }
    Bytes& Resize(std::size_t size) {
        data_.resize(size, 0);
        return *this;
    }
    Bytes& Put(std::size_t at, std::uint8_t value) {
        if (data_.size() <= at) data_.resize(at + 1, 0);
        data_[at] = value;
        return *this;
    }
    Bytes& PutLe16(std::size_t at, std::uint32_t v) { return Put(at, v & 0xFF).Put(at + 1, (v >> 8) & 0xFF); }
    Bytes& PutBe16(std::size_t at, std::uint32_t v) { return Put(at, (v >> 8) & 0xFF).Put(at + 1, v & 0xFF); }
    Bytes& PutLe32(std::size_t at, std::uint32_t v) { return PutLe16(at, v & 0xFFFF).PutLe16(at + 2, v >> 16); }
    Bytes& PutBe32(std::size_t at, std::uint32_t v) { return PutBe16(at, v >> 16).PutBe16(at + 2, v & 0xFFFF); }

    std::size_t Size() const { return data_.size(); }
    operator const std::vector<std::uint8_t>&() const { return data_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

}  // namespace vx::test
