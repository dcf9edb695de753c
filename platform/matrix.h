// A 3x2 affine matrix of the board-side surface, applied to row vectors:
// x' = x * m11 + y * m21 + dx, y' = x * m12 + y * m22 + dy. Prepending an
// operation applies it before the matrix, appending applies it after.
#pragma once

#include "platform/graphics_types.h"

class Matrix {
public:
    Matrix() = default;
    Matrix(float m11, float m12, float m21, float m22, float dx, float dy);
    // The matrix that maps rect onto the parallelogram of three points
    // (its top-left, top-right and bottom-left corners).
    Matrix(const RectF& rect, const PointF* dstPlg);

    Matrix* Clone() const { return new Matrix(*this); }

    // m11, m12, m21, m22, dx, dy.
    Status GetElements(float* elements) const;
    Status SetElements(float m11, float m12, float m21, float m22, float dx, float dy);
    float OffsetX() const { return static_cast<float>(e_[4]); }
    float OffsetY() const { return static_cast<float>(e_[5]); }

    Status Reset();
    Status Multiply(const Matrix* other, MatrixOrder order = MatrixOrderPrepend);
    Status Translate(float dx, float dy, MatrixOrder order = MatrixOrderPrepend);
    Status Scale(float sx, float sy, MatrixOrder order = MatrixOrderPrepend);
    // Degrees; positive turns +x towards +y.
    Status Rotate(float angle, MatrixOrder order = MatrixOrderPrepend);
    Status RotateAt(float angle, const PointF& center, MatrixOrder order = MatrixOrderPrepend);
    Status Shear(float shearX, float shearY, MatrixOrder order = MatrixOrderPrepend);
    // InvalidParameter (and no change) when the matrix is singular.
    Status Invert();

    Status TransformPoints(PointF* pts, int count = 1) const;
    // Without the translation.
    Status TransformVectors(PointF* pts, int count = 1) const;

    bool IsIdentity() const;
    bool IsInvertible() const;
    bool Equals(const Matrix* other) const;
    Status GetLastStatus() const { return Ok; }

    // Full-precision access for the platform's own geometry.
    const double* Elements() const { return e_; }
    void Map(double x, double y, double* ox, double* oy) const {
        *ox = x * e_[0] + y * e_[2] + e_[4];
        *oy = x * e_[1] + y * e_[3] + e_[5];
    }
    PointF Map(PointF p) const;
    // Area scale of the linear part (the square root of |determinant|).
    double Scale() const;
    void SetDouble(const double* e);
    // this = a * b (a applied first).
    static Matrix Product(const Matrix& a, const Matrix& b);

private:
    double e_[6] = {1, 0, 0, 1, 0, 0};
};
