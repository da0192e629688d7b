#pragma once
// What a look at a window's picture checks: the fixed frame its layout gives
// it and no control cut off at the edge.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Driver.h"

namespace drive {

inline Shot shootAndCheck(const Window& window, const std::string& name, bool minimiseBox) {
    EXPECT_FALSE(window.resizable()) << name;
    EXPECT_EQ(window.minimisable(), minimiseBox) << name;
    EXPECT_THAT(window.cutOff(), ::testing::IsEmpty()) << name;
    return window.shoot(name);
}

// A picture drawn in the control: more than a plain face and its edge.
inline void expectPicture(const Window& window, const std::string& control) {
    const HWND box = window[control];
    ASSERT_TRUE(box) << control << " is missing";
    EXPECT_GE(grab(screenRect(box)).colours(4), 3u) << control << " shows no picture";
}

}  // namespace drive
