// The control table: tab order, access keys and the window's size as every front end builds it.
#include "form/Controls.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet::form {
namespace {

std::vector<std::string> namesOf(const std::vector<ControlId>& ids) {
    std::vector<std::string> names;
    for (ControlId id : ids)
        names.emplace_back(control(id).name);
    return names;
}

TEST(Controls, TheTableIsInItsOwnOrder) {
    for (std::size_t i = 0; i < kControls.size(); ++i)
        EXPECT_EQ(std::size_t(kControls[i].id), i) << kControls[i].name;
    EXPECT_EQ(control(ControlId::txtFileR).text, "100");
    EXPECT_EQ(control(ControlId::cmdCul2).text, "実行２(&B)");
}

TEST(Controls, TabWalksTheControlsByTabIndexPastTheLabels) {
    const std::vector<std::string> order{"Drive1",  "Dir1",     "File1",    "txtFileName",
                                         "cmdCul1", "cmdOpen",  "cmdCul2",  "cmdExit",
                                         "txtDis",  "txtFileS", "txtFileR", "File2"};
    EXPECT_EQ(namesOf(tabOrder()), order);
    EXPECT_EQ(byTabIndex().size(), kControls.size());
}

TEST(Controls, ALabelsAccessKeyLeadsToTheNextControlInTabOrder) {
    struct Case {
        ControlId label;
        char key;
        ControlId target;
    };
    // Not to the box beside the label: Label2 stands beside txtFileS.
    for (const Case& c : {Case{ControlId::Label1, 'N', ControlId::txtFileName},
                          Case{ControlId::Label2, 'S', ControlId::txtFileR},
                          Case{ControlId::Label3, 'R', ControlId::File2}}) {
        EXPECT_EQ(accessKeyOf(control(c.label).text), c.key);
        EXPECT_EQ(accessTarget(c.label), c.target) << control(c.label).name;
    }
    EXPECT_THROW(accessTarget(ControlId::cmdCul1), std::invalid_argument);
    EXPECT_EQ(accessKeyOf("開く(&o)"), 'O');
    EXPECT_EQ(accessKeyOf("A && B"), 0);
}

TEST(Controls, TwipsBecomePixelsAtTheWindowsDpi) {
    EXPECT_EQ(twipsToPixels(kClientWidthTwips, 96), 540);
    EXPECT_EQ(twipsToPixels(kClientHeightTwips, 96), 459);
    EXPECT_EQ(twipsToPixels(255, 96), 17);  // 17.0
    EXPECT_EQ(twipsToPixels(375, 144), 38); // 37.5 rounds up
    EXPECT_EQ(twipsToPixels(-375, 144), -38);
}

} // namespace
} // namespace quillet::form
