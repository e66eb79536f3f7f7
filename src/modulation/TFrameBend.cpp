#include "modulation/TFrameBend.h"

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <utility>

namespace vorpline {

namespace {

constexpr int kEnter = '\r';
constexpr uint8_t kAllBits = 0xFF;
constexpr uint8_t kBitIndexMask = 0x07;

std::string BitName(int i) {
    return "b" + std::to_string(i);
}

template <class Control, std::size_t... I>
std::array<Control, TFrameBend::kBits> Row(std::index_sequence<I...>, Control (*make)(int bit)) {
    return {make(static_cast<int>(I))...};
}

// Controls cannot be copied or moved: each is made in its place (tags are set afterwards).
TrackBar ShortBar(int i) {
    return TrackBar("TrackBar" + std::to_string(i), TFrameBend::kForced0, TFrameBend::kForced1,
                    TFrameBend::kPassed);
}

CheckBox InvertBox(int i) {
    return CheckBox("CheckBox" + std::to_string(i), BitName(i));
}

std::vector<std::string> BitNames() {
    std::vector<std::string> bits;
    for (int b = 0; b < TFrameBend::kBits; ++b) {
        bits.push_back(BitName(b));
    }
    return bits;
}

ComboBox ConnectList(int i) {
    return ComboBox("ComboBox" + std::to_string(i), BitNames(), i);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

TFrameBend::RandomSource TFrameBend::SeededFromClock() {
    auto engine = std::make_shared<std::minstd_rand>(static_cast<std::minstd_rand::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    return [engine] { return static_cast<uint32_t>((*engine)()); };
}

TFrameBend::TFrameBend(RandomSource randomIn)
    : TrackBars(Row<TrackBar>(std::make_index_sequence<kBits>(), ShortBar)),
      CheckBoxes(Row<CheckBox>(std::make_index_sequence<kBits>(), InvertBox)),
      ComboBoxes(Row<ComboBox>(std::make_index_sequence<kBits>(), ConnectList)),
      EditAnd("EditAnd", MaskText(kAllBits)), EditOr("EditOr", MaskText(0)),
      EditEor("EditEor", MaskText(0)), ButtonRandom("ButtonRandom", "Rand."),
      ButtonFlip("ButtonFlip", "Flip"), ButtonReset("ButtonReset", "Reset"),
      random(randomIn ? std::move(randomIn) : SeededFromClock()) {
    Wire();
}

void TFrameBend::Wire() {
    for (int i = 0; i < kBits; ++i) {
        const auto b = static_cast<std::size_t>(i);
        TrackBars[b].SetTag(1 << i);
        CheckBoxes[b].SetTag(1 << i);
        ComboBoxes[b].SetTag(i);
        TrackBars[b].onChange = [this, b] { TrackBar0Change(TrackBars[b]); };
        CheckBoxes[b].onClick = [this, b] { CheckBox0Click(CheckBoxes[b]); };
        ComboBoxes[b].onChange = [this, b] { ComboBox0Change(ComboBoxes[b]); };
    }
    EditAnd.onKeyUp = [this](int key) { EditAndKeyUp(key); };
    EditOr.onKeyUp = [this](int key) { EditOrKeyUp(key); };
    EditEor.onKeyUp = [this](int key) { EditEorKeyUp(key); };
    ButtonRandom.onClick = [this] { ButtonRandomClick(); };
    ButtonFlip.onClick = [this] { ButtonFlipClick(); };
    ButtonReset.onClick = [this] { ButtonResetClick(); };
}

uint8_t TFrameBend::BendByte(uint8_t x) const {
    const auto v = static_cast<uint8_t>(((x & andMask) | orMask) ^ eorMask);
    uint8_t result = 0;
    for (int i = 0; i < kBits; ++i) {
        result |= static_cast<uint8_t>(((v >> connect[static_cast<std::size_t>(i)]) & 1) << i);
    }
    return result;
}

void TFrameBend::SetAnd(uint8_t value) {
    andMask = value;
    orMask &= value;
    Refresh();
}

void TFrameBend::SetOr(uint8_t value) {
    orMask = value;
    andMask |= value;
    Refresh();
}

void TFrameBend::SetEor(uint8_t value) {
    eorMask = value;
    Refresh();
}

void TFrameBend::Reset() {
    andMask = kAllBits;
    orMask = 0;
    eorMask = 0;
    for (int i = 0; i < kBits; ++i) {
        connect[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
    }
    Refresh();
}

void TFrameBend::StoreRecord(std::span<uint8_t, kRecordSize> record) const {
    record[0] = andMask;
    record[1] = orMask;
    record[2] = eorMask;
    for (std::size_t i = 0; i < connect.size(); ++i) {
        record[8 + i] = connect[i];
    }
}

void TFrameBend::LoadRecord(std::span<const uint8_t, kRecordSize> record) {
    orMask = record[1];
    andMask = static_cast<uint8_t>(record[0] | orMask);
    eorMask = record[2];
    for (std::size_t i = 0; i < connect.size(); ++i) {
        connect[i] = record[8 + i] & kBitIndexMask;
    }
    Refresh();
}

std::optional<uint8_t> TFrameBend::ParseMask(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr uint64_t kLimit = 0xFFFFFFFFu;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > kLimit) {
            return std::nullopt;
        }
    }
    // Two's complement: "-1" keeps the low byte 0xFF, as a typed -1 would in a 32-bit integer.
    if (negative) {
        value = (~value + 1) & kLimit;
    }
    return static_cast<uint8_t>(value & kAllBits);
}

std::string TFrameBend::MaskText(uint8_t mask) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[mask >> 4] + kDigits[mask & 0x0F];
}

// --- handlers ---

void TFrameBend::TrackBar0Change(const TrackBar& sender) {
    if (refreshing) {
        return;
    }
    const auto bit = static_cast<uint8_t>(sender.Tag());
    const int position = sender.Position();
    andMask = position >= kPassed ? static_cast<uint8_t>(andMask | bit)
                                  : static_cast<uint8_t>(andMask & ~bit);
    orMask = position >= kForced1 ? static_cast<uint8_t>(orMask | bit)
                                  : static_cast<uint8_t>(orMask & ~bit);
    refreshing = true;
    EditAnd.SetText(MaskText(andMask));
    EditOr.SetText(MaskText(orMask));
    refreshing = false;
}

void TFrameBend::CheckBox0Click(const CheckBox& sender) {
    if (refreshing) {
        return;
    }
    const auto bit = static_cast<uint8_t>(sender.Tag());
    eorMask = sender.Checked() ? static_cast<uint8_t>(eorMask | bit)
                               : static_cast<uint8_t>(eorMask & ~bit);
    refreshing = true;
    EditEor.SetText(MaskText(eorMask));
    refreshing = false;
}

void TFrameBend::ComboBox0Change(const ComboBox& sender) {
    if (refreshing || sender.ItemIndex() < 0) {
        return;
    }
    connect[static_cast<std::size_t>(sender.Tag()) % connect.size()] =
        static_cast<uint8_t>(sender.ItemIndex() & kBitIndexMask);
}

void TFrameBend::EditAndKeyUp(int key) {
    if (key == kEnter) {
        SetAnd(ParseMask(EditAnd.Text()).value_or(kAllBits));
    }
}

void TFrameBend::EditOrKeyUp(int key) {
    if (key == kEnter) {
        SetOr(ParseMask(EditOr.Text()).value_or(0));
    }
}

void TFrameBend::EditEorKeyUp(int key) {
    if (key == kEnter) {
        SetEor(ParseMask(EditEor.Text()).value_or(0));
    }
}

void TFrameBend::ButtonRandomClick() {
    andMask = static_cast<uint8_t>(random() & kAllBits);
    orMask = static_cast<uint8_t>(random() & andMask);
    eorMask = static_cast<uint8_t>(random() & kAllBits);
    for (uint8_t& source : connect) {
        source = static_cast<uint8_t>(random() & kBitIndexMask);
    }
    Refresh();
}

void TFrameBend::ButtonFlipClick() {
    eorMask ^= kAllBits;
    for (uint8_t& source : connect) {
        source = static_cast<uint8_t>(kBitIndexMask - source);
    }
    Refresh();
}

void TFrameBend::ButtonResetClick() {
    Reset();
}

void TFrameBend::Refresh() {
    refreshing = true;
    EditAnd.SetText(MaskText(andMask));
    EditOr.SetText(MaskText(orMask));
    EditEor.SetText(MaskText(eorMask));
    for (int i = 0; i < kBits; ++i) {
        const auto b = static_cast<std::size_t>(i);
        const int bit = 1 << i;
        TrackBars[b].SetPosition((orMask & bit) != 0    ? kForced1
                                 : (andMask & bit) != 0 ? kPassed
                                                        : kForced0);
        CheckBoxes[b].SetChecked((eorMask & bit) != 0);
        ComboBoxes[b].SetItemIndex(connect[b]);
    }
    refreshing = false;
}

} // namespace vorpline
