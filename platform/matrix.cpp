#include "platform/matrix.h"

#include <cmath>

Matrix::Matrix(float m11, float m12, float m21, float m22, float dx, float dy)
    : e_{m11, m12, m21, m22, dx, dy} {}

Matrix::Matrix(const RectF& rect, const PointF* dstPlg) {
    if (!dstPlg || rect.Width == 0 || rect.Height == 0)
        return;
    // Unit square to the parallelogram, after the rectangle to the unit square.
    double a = (dstPlg[1].X - dstPlg[0].X) / rect.Width;
    double b = (dstPlg[1].Y - dstPlg[0].Y) / rect.Width;
    double c = (dstPlg[2].X - dstPlg[0].X) / rect.Height;
    double d = (dstPlg[2].Y - dstPlg[0].Y) / rect.Height;
    e_[0] = a;
    e_[1] = b;
    e_[2] = c;
    e_[3] = d;
    e_[4] = dstPlg[0].X - rect.X * a - rect.Y * c;
    e_[5] = dstPlg[0].Y - rect.X * b - rect.Y * d;
}

Status Matrix::GetElements(float* elements) const {
    if (!elements)
        return InvalidParameter;
    for (int i = 0; i < 6; ++i)
        elements[i] = static_cast<float>(e_[i]);
    return Ok;
}

Status Matrix::SetElements(float m11, float m12, float m21, float m22, float dx, float dy) {
    e_[0] = m11;
    e_[1] = m12;
    e_[2] = m21;
    e_[3] = m22;
    e_[4] = dx;
    e_[5] = dy;
    return Ok;
}

void Matrix::SetDouble(const double* e) {
    for (int i = 0; i < 6; ++i)
        e_[i] = e[i];
}

Status Matrix::Reset() {
    static const double id[6] = {1, 0, 0, 1, 0, 0};
    SetDouble(id);
    return Ok;
}

Matrix Matrix::Product(const Matrix& a, const Matrix& b) {
    const double* x = a.e_;
    const double* y = b.e_;
    Matrix r;
    r.e_[0] = x[0] * y[0] + x[1] * y[2];
    r.e_[1] = x[0] * y[1] + x[1] * y[3];
    r.e_[2] = x[2] * y[0] + x[3] * y[2];
    r.e_[3] = x[2] * y[1] + x[3] * y[3];
    r.e_[4] = x[4] * y[0] + x[5] * y[2] + y[4];
    r.e_[5] = x[4] * y[1] + x[5] * y[3] + y[5];
    return r;
}

Status Matrix::Multiply(const Matrix* other, MatrixOrder order) {
    if (!other)
        return InvalidParameter;
    *this = order == MatrixOrderPrepend ? Product(*other, *this) : Product(*this, *other);
    return Ok;
}

Status Matrix::Translate(float dx, float dy, MatrixOrder order) {
    Matrix t(1, 0, 0, 1, dx, dy);
    return Multiply(&t, order);
}

Status Matrix::Scale(float sx, float sy, MatrixOrder order) {
    Matrix t(sx, 0, 0, sy, 0, 0);
    return Multiply(&t, order);
}

Status Matrix::Rotate(float angle, MatrixOrder order) {
    // Whole turns taken off first: an angle of any size turns by what is
    // left of it, as the manufacturing files write it.
    const double rad = std::fmod(static_cast<double>(angle), 360.0) * M_PI / 180.0;
    double c = std::cos(rad);
    double s = std::sin(rad);
    // Exact quarter turns keep axis-aligned shapes exact.
    if (std::fmod(static_cast<double>(angle), 90.0) == 0.0) {
        c = std::round(c);
        s = std::round(s);
    }
    Matrix t;
    const double e[6] = {c, s, -s, c, 0, 0};
    t.SetDouble(e);
    return Multiply(&t, order);
}

Status Matrix::RotateAt(float angle, const PointF& center, MatrixOrder order) {
    Matrix t;
    t.Translate(-center.X, -center.Y, MatrixOrderAppend);
    t.Rotate(angle, MatrixOrderAppend);
    t.Translate(center.X, center.Y, MatrixOrderAppend);
    return Multiply(&t, order);
}

Status Matrix::Shear(float shearX, float shearY, MatrixOrder order) {
    Matrix t(1, shearY, shearX, 1, 0, 0);
    return Multiply(&t, order);
}

Status Matrix::Invert() {
    const double det = e_[0] * e_[3] - e_[1] * e_[2];
    if (det == 0 || !std::isfinite(det))
        return InvalidParameter;
    double r[6];
    r[0] = e_[3] / det;
    r[1] = -e_[1] / det;
    r[2] = -e_[2] / det;
    r[3] = e_[0] / det;
    r[4] = -(e_[4] * r[0] + e_[5] * r[2]);
    r[5] = -(e_[4] * r[1] + e_[5] * r[3]);
    SetDouble(r);
    return Ok;
}

PointF Matrix::Map(PointF p) const {
    double x, y;
    Map(p.X, p.Y, &x, &y);
    return {static_cast<float>(x), static_cast<float>(y)};
}

Status Matrix::TransformPoints(PointF* pts, int count) const {
    if (!pts || count < 0)
        return InvalidParameter;
    for (int i = 0; i < count; ++i)
        pts[i] = Map(pts[i]);
    return Ok;
}

Status Matrix::TransformVectors(PointF* pts, int count) const {
    if (!pts || count < 0)
        return InvalidParameter;
    for (int i = 0; i < count; ++i) {
        const double x = pts[i].X, y = pts[i].Y;
        pts[i].X = static_cast<float>(x * e_[0] + y * e_[2]);
        pts[i].Y = static_cast<float>(x * e_[1] + y * e_[3]);
    }
    return Ok;
}

bool Matrix::IsIdentity() const {
    return e_[0] == 1 && e_[1] == 0 && e_[2] == 0 && e_[3] == 1 && e_[4] == 0 && e_[5] == 0;
}

bool Matrix::IsInvertible() const {
    const double det = e_[0] * e_[3] - e_[1] * e_[2];
    return det != 0 && std::isfinite(det);
}

bool Matrix::Equals(const Matrix* other) const {
    if (!other)
        return false;
    for (int i = 0; i < 6; ++i)
        if (e_[i] != other->e_[i])
            return false;
    return true;
}

double Matrix::Scale() const {
    return std::sqrt(std::fabs(e_[0] * e_[3] - e_[1] * e_[2]));
}
