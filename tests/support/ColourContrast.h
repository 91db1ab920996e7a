// How well one colour reads on another, for tests that judge a look by its painted pixels.
#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

namespace testing_support {

// Contrast of two colours as the web's accessibility rules measure it: 1 (none) to 21.
inline double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](double channel) {
            return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

} // namespace testing_support
