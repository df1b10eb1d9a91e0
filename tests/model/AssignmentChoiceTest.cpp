// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AssignmentChoice.h"

#include "SimKeyboardFixture.h"

#include <gtest/gtest.h>

namespace {

constexpr int kKeyA = 0x01E;
constexpr int kKeyB = 0x030;
constexpr int kRecordG2 = 257;
constexpr int kRecordG11 = 266;

KeyAssignment Built(int recordIndex, AssignmentChoice choice) {
    const std::optional<KeyAssignment> record = BuildAssignment(recordIndex, choice);
    EXPECT_TRUE(record.has_value());
    return record.value_or(KeyAssignment{0xFFFF});
}

TEST(BuildAssignment, KeysGivenThemselvesOrNothingAreDefault) {
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Key, kKeyB}),
              (KeyAssignment{AssignmentType::kKey, 0, kKeyB}));
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Key, kKeyA}), KeyAssignment{});
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Key, 0}), KeyAssignment{});
    // An E0 key's record is its code less 0x80: right Ctrl (0x11D) given itself.
    EXPECT_EQ(Built(0x11D - 0x80, {AssignmentKind::Key, 0x11D}), KeyAssignment{});
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Default}), KeyAssignment{});
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Disabled}),
              (KeyAssignment{AssignmentType::kDisabled, 0, 0}));
}

TEST(BuildAssignment, MouseCodesAreTakenEvenWhereTheyShareAKeysRecord) {
    // 0x171 and the record 0xF1 meet in the key table; the mouse radio still assigns it.
    EXPECT_EQ(Built(0xF1, {AssignmentKind::Mouse, kMouseLeft}),
              (KeyAssignment{AssignmentType::kKey, 0, kMouseLeft}));
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Mouse, kWheelDown}).value, kWheelDown);
    EXPECT_FALSE(BuildAssignment(kKeyA, {AssignmentKind::Mouse, kKeyB}));
}

TEST(BuildAssignment, MacrosCarryTheirRepeatAndAnEmptyListIsDefault) {
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Macro, 5, 3}),
              (KeyAssignment{AssignmentType::kMacro, 3, 5}));
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Macro, 5, 0}).param, 1);
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Macro, 5, 999}).param, 255);
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Macro, 0, 3}), KeyAssignment{});
    // A G-key playing no macro keeps its G-key code in param.
    EXPECT_EQ(Built(kRecordG11, {AssignmentKind::Macro, 0, 3}),
              (KeyAssignment{AssignmentType::kDefault, 0x1302, 0}));
    EXPECT_EQ(Built(kRecordG11, {AssignmentKind::Macro, 7, 2}),
              (KeyAssignment{AssignmentType::kMacro, 2, 7}));
    // Macros there but none chosen: the first macro, by value 0.
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::FirstMacro, 9, 4}),
              (KeyAssignment{AssignmentType::kMacro, 4, 0}));
    EXPECT_EQ(Built(kRecordG11, {AssignmentKind::FirstMacro, 0, 300}),
              (KeyAssignment{AssignmentType::kMacro, 255, 0}));
    EXPECT_EQ(Built(kRecordG2, {AssignmentKind::Key, kKeyB}),
              (KeyAssignment{AssignmentType::kKey, 0x302, kKeyB}));
}

TEST(BuildAssignment, ListIndexesOutsideTheirTablesAreRefused) {
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Media, 17}),
              (KeyAssignment{AssignmentType::kMedia, 0, 17}));
    EXPECT_FALSE(BuildAssignment(kKeyA, {AssignmentKind::Media, kMediaCount}));
    EXPECT_EQ(Built(kKeyA, {AssignmentKind::Function, 10}),
              (KeyAssignment{AssignmentType::kFunction, 0, 10}));
    EXPECT_FALSE(BuildAssignment(kKeyA, {AssignmentKind::Function, kKeyFunctionCount}));
    EXPECT_FALSE(BuildAssignment(-1, {}));
    EXPECT_FALSE(BuildAssignment(274, {}));
}

class StoringAssignments : public SimKeyboardTest {
protected:
    std::unique_lock<std::recursive_mutex> guard{WorkingStore().lock};
};

TEST_F(StoringAssignments, KeepTheColourMarkAndReleaseTheString) {
    KeyAssignment& record = WorkingStore().block->Record(2, kKeyA);
    record = {AssignmentType::kProgram, 0, 40, 0x00FF00, 0xABCD};
    WorkingStore().strings.Set(2 * kRecordsPerArea + kKeyA, u"/usr/bin/true");
    const uint32_t before = WorkingStore().strings.totalBytes;
    ASSERT_GT(before, 0u);

    EXPECT_TRUE(StoreAssignment(2, kKeyA, Built(kKeyA, {AssignmentKind::Key, kKeyB})));
    EXPECT_EQ(record, (KeyAssignment{AssignmentType::kKey, 0, kKeyB, 0x00FF00, 0xABCD}));
    EXPECT_EQ(WorkingStore().strings.totalBytes, 0u);
    // Only that profile's record changed.
    EXPECT_EQ(WorkingStore().block->Record(1, kKeyA), KeyAssignment{});
}

TEST_F(StoringAssignments, RefuseProfilesAndRecordsTheStoreLacks) {
    const KeyAssignment built = Built(kKeyA, {AssignmentKind::Disabled});
    EXPECT_FALSE(StoreAssignment(3, kKeyA, built));
    EXPECT_FALSE(StoreAssignment(-1, kKeyA, built));
    EXPECT_FALSE(StoreAssignment(0, kRecordsPerArea, built));
    WorkingStore().block.reset();
    EXPECT_FALSE(StoreAssignment(0, kKeyA, built));
}

} // namespace
