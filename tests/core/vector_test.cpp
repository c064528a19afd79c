#include "engine/core/vector.h"

#include <gtest/gtest.h>

TEST(Vector, DefaultIsZero) {
    const vector4 v;
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    EXPECT_EQ(v.w, 0.0f);
    const vector2 p;
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
}

TEST(Vector, SumAndDifferenceAreComponentWise) {
    const vector2 sum = vector2(1, 2) + vector2(3, 4);
    EXPECT_EQ(sum.x, 4.0f);
    EXPECT_EQ(sum.y, 6.0f);
    const vector2 diff = vector2(1, 2) - vector2(3, 4);
    EXPECT_EQ(diff.x, -2.0f);
    EXPECT_EQ(diff.y, -2.0f);
}

TEST(Vector, CopyAndAssignmentKeepEveryComponent) {
    const vector4 source(0.25f, -1.5f, 3.0f, 7.75f);
    const vector4 copy(source);
    vector4 assigned;
    assigned = source;
    for (const vector4* v : {&copy, const_cast<const vector4*>(&assigned)}) {
        EXPECT_EQ(v->x, 0.25f);
        EXPECT_EQ(v->y, -1.5f);
        EXPECT_EQ(v->z, 3.0f);
        EXPECT_EQ(v->w, 7.75f);
    }
    const vector3 c(0.1f, 0.2f, 0.3f);
    const vector3 d = c;
    EXPECT_EQ(d.x, 0.1f);
    EXPECT_EQ(d.y, 0.2f);
    EXPECT_EQ(d.z, 0.3f);
}
