// The driver's name and its banner: 379 bytes of code page 437 text, a line feed and then six
// framed lines of 62 characters, each ending in a line feed. Built at compile time so the frame
// cannot drift when the notice line changes.
#pragma once

#include <array>
#include <cstddef>

#ifndef KELNF_VERSION
#error "KELNF_VERSION must be defined by the build"
#endif

namespace kelnf {

inline constexpr char kDriverName[] = "NF Fire Alarm System";
inline constexpr char kBannerNotice[] = "KelNF " KELNF_VERSION " - addressable FACP event driver";

constexpr std::size_t kBannerBytes = 379;
constexpr std::size_t kBannerInnerWidth = 59; // between the frame's side bars

namespace banner {

// Code page 437 box and shade characters.
constexpr char kCornerTopLeft = '\xC9';
constexpr char kCornerTopRight = '\xBB';
constexpr char kCornerBottomLeft = '\xC8';
constexpr char kCornerBottomRight = '\xBC';
constexpr char kBarHorizontal = '\xCD';
constexpr char kBarVertical = '\xBA';
constexpr char kBlockFull = '\xDB';
constexpr char kShadeDark = '\xB2';
constexpr char kShadeMedium = '\xB1';
constexpr char kShadeLight = '\xB0';

struct Text {
    std::array<char, kBannerBytes + 1> bytes{};
    std::size_t length = 0;

    constexpr void Put(char byte, std::size_t count = 1) {
        for (std::size_t i = 0; i < count; ++i)
            bytes[length++] = byte;
    }
    constexpr void Put(const char *text) {
        while (*text != '\0')
            bytes[length++] = *text++;
    }
};

constexpr std::size_t Length(const char *text) {
    std::size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

// " ║" + text centred in the inner width + "║" + line feed.
constexpr void PutFramed(Text &out, const char *text, std::size_t leftPad) {
    out.Put(' ');
    out.Put(kBarVertical);
    out.Put(' ', leftPad);
    out.Put(text);
    out.Put(' ', kBannerInnerWidth - leftPad - Length(text));
    out.Put(kBarVertical);
    out.Put('\n');
}

constexpr void PutShadeRamp(Text &out, bool rising) {
    const char ramp[] = {kBlockFull, kShadeDark, kShadeMedium, kShadeLight};
    const std::size_t counts[] = {5, 6, 6, 6};
    for (int step = 0; step < 4; ++step) {
        const int at = rising ? 3 - step : step;
        out.Put(ramp[at], counts[at]);
    }
}

constexpr std::array<char, kBannerBytes + 1> Build() {
    Text out;
    out.Put('\n');

    out.Put(' ');
    out.Put(kCornerTopLeft);
    out.Put(kBarHorizontal, kBannerInnerWidth);
    out.Put(kCornerTopRight);
    out.Put('\n');

    out.Put(' ');
    out.Put(kBarVertical);
    out.Put(' ');
    PutShadeRamp(out, false);
    out.Put(" K E L N F ");
    PutShadeRamp(out, true);
    out.Put(' ');
    out.Put(kBarVertical);
    out.Put('\n');

    PutFramed(out, "NF Fire Alarm System, Driver installed.", 10);
    PutFramed(out, "Addressable FACP , NF serial protocol", 11);
    PutFramed(out, kBannerNotice, (kBannerInnerWidth - Length(kBannerNotice)) / 2);

    out.Put(' ');
    out.Put(kCornerBottomLeft);
    out.Put(kBarHorizontal, kBannerInnerWidth);
    out.Put(kCornerBottomRight);
    out.Put('\n');

    out.bytes[out.length] = '\0';
    return out.bytes;
}

} // namespace banner

inline constexpr std::array<char, kBannerBytes + 1> kBanner = banner::Build();

static_assert(banner::Length(kBannerNotice) <= kBannerInnerWidth, "notice must fit the frame");
static_assert(banner::Length(kBanner.data()) == kBannerBytes, "banner is 379 bytes");

} // namespace kelnf
