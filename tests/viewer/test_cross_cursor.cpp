#include "cross_cursor.h"

#include <gtest/gtest.h>

TEST(CrossCursor, WhiteArmsOutlinedInBlackWithAnOpenCentre) {
  const wxImage cursor = orv::CrossCursorImage();
  ASSERT_EQ(cursor.GetWidth(), 15);
  ASSERT_EQ(cursor.GetHeight(), 15);
  auto rgb = [&](int x, int y) { return wxColour(cursor.GetRed(x, y), cursor.GetGreen(x, y), cursor.GetBlue(x, y)); };
  EXPECT_EQ(rgb(7, 2), *wxWHITE);   // vertical arm
  EXPECT_EQ(rgb(12, 7), *wxWHITE);  // horizontal arm
  EXPECT_EQ(rgb(6, 2), *wxBLACK);   // its outline
  EXPECT_EQ(rgb(7, 0), *wxBLACK);   // the arm's end is outlined too
  EXPECT_TRUE(cursor.IsTransparent(7, 7));  // open centre
  EXPECT_TRUE(cursor.IsTransparent(0, 0));
  EXPECT_EQ(cursor.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_X), 8);
  EXPECT_EQ(cursor.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_Y), 8);
}
