// The day's steps: a run each, three in ten failing, three in ten followed by a preview, a file
// coming or going in the folder before each, and a wander to a folder below every 50.
#include "Plan.h"

#include <array>

namespace quillet::bench::soak {

namespace {

// Files added and removed in turn: each slot's file comes on one visit and goes on the next.
constexpr int kTouchedSlots = 10;

// Heights the height box refuses, and the error each gives.
struct BadHeight {
    std::string_view text;
    int error;
};
constexpr std::array<BadHeight, 3> kBadHeights{{{"abc", 13}, {"", 13}, {"32768", 6}}};
constexpr std::array<std::string_view, 3> kGoodHeights{"100", "250", "50"};

} // namespace

Step stepAt(int number) {
    Step step;
    step.number = number;
    step.declared = number % 2 == 0;
    const int slot = number % kTouchedSlots;
    step.touched = "added-" + std::to_string(slot) + ".csv";
    // The first, third, fifth ... visit to a slot adds its file, the others remove it.
    step.adds = ((number - 1) / kTouchedSlots) % 2 == 0;
    step.wanders = number % 50 == 25;

    const int tenth = number % 10;
    const int round = number / 10;
    switch (tenth) {
    case 3:
        step.failure = Failure::MissingInput;
        step.input = std::string(kMissingInput);
        step.typedInput = true;
        step.height = std::string(kGoodHeights[0]);
        step.expectedError = 53;
        return step;
    case 6: {
        const BadHeight& bad = kBadHeights[static_cast<std::size_t>(round) % kBadHeights.size()];
        step.failure = Failure::BadHeight;
        step.input = std::string(kSmallInput);
        step.height = std::string(bad.text);
        step.expectedError = bad.error;
        return step;
    }
    case 9:
        step.failure = Failure::LongLine;
        step.input = std::string(kLongLineInput);
        step.height = std::string(kGoodHeights[0]);
        step.expectedError = 6;
        return step;
    default:
        break;
    }
    step.input = std::string(number % 3 == 0 ? kSmallInput : kMediumInput);
    step.height = std::string(kGoodHeights[static_cast<std::size_t>(number) % kGoodHeights.size()]);
    // Now and then a name of the user's own, one of a few, so that runs replace drawings.
    if (number % 4 == 0)
        step.output = "day-" + std::to_string(round % 3) + ".dxf";
    if (tenth == 1 || tenth == 4 || tenth == 7) {
        // The previews of the day, counted from 0, take the four kinds in turn.
        const int preview = round * 3 + (tenth == 1 ? 0 : tenth == 4 ? 1 : 2);
        constexpr std::array kinds{Preview::OpenClose, Preview::CancelRead, Preview::Reload,
                                   Preview::OpenAgain};
        step.preview = kinds[static_cast<std::size_t>(preview) % kinds.size()];
        step.closeByMenu = (preview / 4) % 2 == 0;
    }
    return step;
}

std::string outputOf(const Step& step) {
    if (step.failure != Failure::None)
        return {};
    return step.output ? *step.output : step.input + ".dxf";
}

} // namespace quillet::bench::soak
