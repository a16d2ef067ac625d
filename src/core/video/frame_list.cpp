#include "core/video/frame_list.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <tuple>

namespace clarivex {

namespace {

constexpr std::string_view frameExtension = ".png";

// Digits only, leading zeros dropped, so that comparing (length, digits) compares numbers
// of any size without overflow.
std::optional<std::string_view> frameNumber(std::string_view name) {
    if (!name.ends_with(frameExtension))
        return std::nullopt;
    std::string_view digits = name.substr(0, name.size() - frameExtension.size());
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto firstSignificant = digits.find_first_not_of('0');
    return firstSignificant == std::string_view::npos ? std::string_view()
                                                      : digits.substr(firstSignificant);
}

} // namespace

bool frameComesBefore(const std::string& left, const std::string& right) {
    const auto leftNumber = frameNumber(left);
    const auto rightNumber = frameNumber(right);
    if (leftNumber && rightNumber) {
        return std::tuple(leftNumber->size(), *leftNumber, left) <
               std::tuple(rightNumber->size(), *rightNumber, right);
    }
    if (leftNumber || rightNumber)
        return leftNumber.has_value();
    return left < right;
}

std::vector<std::string> listFrames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.ends_with(frameExtension))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), frameComesBefore);
    return names;
}

} // namespace clarivex
