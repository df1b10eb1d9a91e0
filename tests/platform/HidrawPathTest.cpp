// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/HidrawBackend.h"

#include <cerrno>
#include <gtest/gtest.h>

TEST(HidrawPath, RoundTripsAndKeepsTheMarkersThePresenceTestReads) {
    HidrawPath path;
    path.name = "hidraw12";
    path.vendorId = 0x0C45;
    path.productId = 0x5004;
    EXPECT_EQ(FormatHidrawPath(path), "/dev/hidraw12?vid_0c45&pid_5004");
    path.collection = 3;
    const std::string withCollection = FormatHidrawPath(path);
    EXPECT_EQ(withCollection, "/dev/hidraw12?vid_0c45&pid_5004&col03");

    HidrawPath parsed;
    ASSERT_TRUE(ParseHidrawPath(withCollection, parsed));
    EXPECT_EQ(parsed.name, "hidraw12");
    EXPECT_EQ(parsed.vendorId, 0x0C45);
    EXPECT_EQ(parsed.productId, 0x5004);
    EXPECT_EQ(parsed.collection, 3u);
    ASSERT_TRUE(ParseHidrawPath("/dev/hidraw0?vid_320F&pid_5000", parsed));
    EXPECT_EQ(parsed.vendorId, 0x320F);
    EXPECT_EQ(parsed.collection, 0u);
}

TEST(HidrawPath, RefusesAnythingElse) {
    HidrawPath parsed;
    for (const char* bad :
         {"/dev/hidraw0", "/dev/hidraw?vid_0c45&pid_5004", "/dev/../hidraw0?vid_0c45&pid_5004",
          "/dev/sda?vid_0c45&pid_5004", "/dev/hidraw0?vid_0c4&pid_5004",
          "/dev/hidraw0?vid_0c45&pid_5004&col", "/dev/hidraw0?vid_0c45&pid_5004&col00",
          "/dev/hidraw0?vid_0c45&pid_5004x", "/tmp/hidraw0?vid_0c45&pid_5004",
          "/dev/hidraw0?vid_0g45&pid_5004"}) {
        EXPECT_FALSE(ParseHidrawPath(bad, parsed)) << bad;
    }
}

TEST(HidrawPath, OpenErrorsTellMissingFromForbidden) {
    EXPECT_EQ(HidOpenErrorFromErrno(ENOENT), HidOpenError::NotFound);
    EXPECT_EQ(HidOpenErrorFromErrno(ENODEV), HidOpenError::NotFound);
    EXPECT_EQ(HidOpenErrorFromErrno(EACCES), HidOpenError::PermissionDenied);
    EXPECT_EQ(HidOpenErrorFromErrno(EPERM), HidOpenError::PermissionDenied);
    EXPECT_EQ(HidOpenErrorFromErrno(EIO), HidOpenError::Failed);
}
