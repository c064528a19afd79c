// Small value types for every coordinate, size, rectangle and colour that
// crosses a subsystem boundary. Passed and returned by value.
//   vector2: a point or size in logical units, or a texture extent (s, t).
//   vector3: an RGB colour, each component 0..1.
//   vector4: an RGBA colour (0..1), or a rectangle (left, top, right, bottom)
//            in logical units.
// A default-constructed vector is all zeros. The types are unrelated and live
// in the global namespace; the only arithmetic is vector2's sum and difference.
#pragma once

class vector2 {
  public:
    vector2() = default;
    vector2(float x, float y) : x(x), y(y) {}
    vector2(const vector2&) = default;
    vector2& operator=(const vector2&) = default;
    virtual ~vector2() = default;

    vector2 operator+(const vector2& o) const { return vector2(x + o.x, y + o.y); }
    vector2 operator-(const vector2& o) const { return vector2(x - o.x, y - o.y); }

    float x = 0.0f;
    float y = 0.0f;
};

class vector3 {
  public:
    vector3() = default;
    vector3(float x, float y, float z) : x(x), y(y), z(z) {}
    vector3(const vector3&) = default;
    vector3& operator=(const vector3&) = default;
    virtual ~vector3() = default;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

class vector4 {
  public:
    vector4() = default;
    vector4(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}
    vector4(const vector4&) = default;
    vector4& operator=(const vector4&) = default;
    virtual ~vector4() = default;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};
