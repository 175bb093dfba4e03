// Explicit little- and big-endian readers and writers over byte spans.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kx {

// Fixed-width forms: the span's extent is the value's width, so no bounds can be missed.
constexpr std::uint16_t LoadU16LE(std::span<const std::uint8_t, 2> b) {
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
constexpr std::uint32_t LoadU32LE(std::span<const std::uint8_t, 4> b) {
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
constexpr std::uint16_t LoadU16BE(std::span<const std::uint8_t, 2> b) {
    return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}
constexpr std::uint32_t LoadU32BE(std::span<const std::uint8_t, 4> b) {
    return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
           (static_cast<std::uint32_t>(b[2]) << 8) | static_cast<std::uint32_t>(b[3]);
}
constexpr void StoreU16LE(std::span<std::uint8_t, 2> b, std::uint16_t v) {
    b[0] = static_cast<std::uint8_t>(v);
    b[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void StoreU32LE(std::span<std::uint8_t, 4> b, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
constexpr void StoreU16BE(std::span<std::uint8_t, 2> b, std::uint16_t v) {
    b[0] = static_cast<std::uint8_t>(v >> 8);
    b[1] = static_cast<std::uint8_t>(v);
}
constexpr void StoreU32BE(std::span<std::uint8_t, 4> b, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}

// Two's-complement reinterpretation, well defined in C++20.
constexpr std::int32_t AsSigned(std::uint32_t v) { return static_cast<std::int32_t>(v); }
constexpr std::int8_t AsSigned(std::uint8_t v) { return static_cast<std::int8_t>(v); }

// True when `width` bytes at `at` lie inside a span of `size` bytes (no overflow).
constexpr bool FitsAt(std::size_t size, std::size_t at, std::size_t width) {
    return at <= size && size - at >= width;
}

// Offset forms for data of unknown length: nothing (or false) when the value does not fit.
constexpr std::optional<std::uint16_t> ReadU16LE(std::span<const std::uint8_t> b, std::size_t at) {
    if (!FitsAt(b.size(), at, 2)) return std::nullopt;
    return LoadU16LE(b.subspan(at).first<2>());
}
constexpr std::optional<std::uint32_t> ReadU32LE(std::span<const std::uint8_t> b, std::size_t at) {
    if (!FitsAt(b.size(), at, 4)) return std::nullopt;
    return LoadU32LE(b.subspan(at).first<4>());
}
constexpr std::optional<std::int32_t> ReadI32LE(std::span<const std::uint8_t> b, std::size_t at) {
    auto v = ReadU32LE(b, at);
    if (!v) return std::nullopt;
    return AsSigned(*v);
}
constexpr std::optional<std::uint16_t> ReadU16BE(std::span<const std::uint8_t> b, std::size_t at) {
    if (!FitsAt(b.size(), at, 2)) return std::nullopt;
    return LoadU16BE(b.subspan(at).first<2>());
}
constexpr std::optional<std::uint32_t> ReadU32BE(std::span<const std::uint8_t> b, std::size_t at) {
    if (!FitsAt(b.size(), at, 4)) return std::nullopt;
    return LoadU32BE(b.subspan(at).first<4>());
}
constexpr bool WriteU16LE(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    if (!FitsAt(b.size(), at, 2)) return false;
    StoreU16LE(b.subspan(at).first<2>(), v);
    return true;
}
constexpr bool WriteU32LE(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    if (!FitsAt(b.size(), at, 4)) return false;
    StoreU32LE(b.subspan(at).first<4>(), v);
    return true;
}
constexpr bool WriteU16BE(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    if (!FitsAt(b.size(), at, 2)) return false;
    StoreU16BE(b.subspan(at).first<2>(), v);
    return true;
}
constexpr bool WriteU32BE(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    if (!FitsAt(b.size(), at, 4)) return false;
    StoreU32BE(b.subspan(at).first<4>(), v);
    return true;
}

}  // namespace kx
