#include "formats/dxf/DxfSpline.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plavo {

namespace {

// Beyond these a spline is no drawing; they also bound the work of a hostile file.
constexpr int kMaxDegree = 25;
constexpr int kMaxSubdivision = 12;
constexpr int kSamplesPerSpan = 4;

struct THomogeneous {
  double X = 0.0, Y = 0.0, W = 1.0;
};

THomogeneous Mix(const THomogeneous& A, const THomogeneous& B, double T) {
  return {A.X + (B.X - A.X) * T, A.Y + (B.Y - A.Y) * T, A.W + (B.W - A.W) * T};
}

bool Rational(const TBSpline& S) {
  return !S.Weights.empty() && std::any_of(S.Weights.begin(), S.Weights.end(), [&](double W) {
    return std::abs(W - S.Weights.front()) > 1e-12;
  });
}

bool Clamped(const TBSpline& S) {
  const size_t p = static_cast<size_t>(S.Degree);
  for (size_t i = 1; i <= p; ++i) {
    if (S.Knots[i] != S.Knots[0] || S.Knots[S.Knots.size() - 1 - i] != S.Knots.back()) return false;
  }
  return true;
}

// The knot span of T: the last k in [p, n] with Knots[k] <= T, found by bisection over the
// sorted knots.
size_t KnotSpan(const TBSpline& S, double T) {
  const size_t p = static_cast<size_t>(S.Degree);
  const size_t n = S.Controls.size() - 1;
  const auto first = S.Knots.begin() + static_cast<std::ptrdiff_t>(p + 1);
  const auto last = S.Knots.begin() + static_cast<std::ptrdiff_t>(n + 1);
  return static_cast<size_t>(std::upper_bound(first, last, T) - S.Knots.begin()) - 1;
}

// The point at parameter T by de Boor's algorithm on weighted (homogeneous) points.
TNodeSimple Evaluate(const TBSpline& S, double T) {
  const size_t p = static_cast<size_t>(S.Degree);
  const size_t k = KnotSpan(S, T);
  std::array<THomogeneous, kMaxDegree + 1> d;
  for (size_t j = 0; j <= p; ++j) {
    const size_t i = k - p + j;
    const double w = S.Weights.empty() ? 1.0 : S.Weights[i];
    d[j] = {S.Controls[i].X * w, S.Controls[i].Y * w, w};
  }
  for (size_t r = 1; r <= p; ++r) {
    for (size_t j = p; j >= r; --j) {
      const size_t i = k - p + j;
      const double span = S.Knots[i + p + 1 - r] - S.Knots[i];
      const double alpha = span > 0 ? (T - S.Knots[i]) / span : 0.0;
      d[j] = Mix(d[j - 1], d[j], alpha);
    }
  }
  return {d[p].X / d[p].W, d[p].Y / d[p].W};
}

// How far P lies from the chord A-B (from A when the chord has no length).
double ChordDistance(TNodeSimple A, TNodeSimple B, TNodeSimple P) {
  const TChordDeviation d = ChordDeviation(A.X, A.Y, P.X, P.Y, P.X, P.Y, B.X, B.Y);
  if (d.ChordSquared == 0.0) return Distance(A, P);
  return d.D1 / std::sqrt(d.ChordSquared);
}

// Halves the piece from T0 to T1 until its middle lies within Tol of the chord; false once Out
// holds more than Max pieces.
bool Sample(const TBSpline& S, double T0, TNodeSimple A, double T1, TNodeSimple B, double Tol,
            int Depth, size_t Max, std::vector<TCubic>& Out) {
  if (Out.size() > Max) return false;
  const double tm = (T0 + T1) / 2.0;
  const TNodeSimple m = Evaluate(S, tm);
  if (Depth < kMaxSubdivision && ChordDistance(A, B, m) > Tol) {
    return Sample(S, T0, A, tm, m, Tol, Depth + 1, Max, Out) &&
           Sample(S, tm, m, T1, B, Tol, Depth + 1, Max, Out);
  }
  Out.push_back(LineCubic(A, B));
  return true;
}

std::vector<TCubic> Sampled(const TBSpline& S, double Tolerance, size_t Max) {
  const size_t p = static_cast<size_t>(S.Degree);
  const size_t n = S.Controls.size() - 1;
  std::vector<TCubic> out;
  for (size_t k = p; k <= n && out.size() <= Max; ++k) {
    const double a = S.Knots[k], b = S.Knots[k + 1];
    if (!(b > a)) continue;
    for (int s = 0; s < kSamplesPerSpan; ++s) {
      const double t0 = a + (b - a) * s / kSamplesPerSpan;
      const double t1 = a + (b - a) * (s + 1) / kSamplesPerSpan;
      if (!Sample(S, t0, Evaluate(S, t0), t1, Evaluate(S, t1), Tolerance, 0, Max, out)) break;
    }
  }
  for (size_t i = 1; i < out.size(); ++i) out[i].P0 = out[i].P1 = out[i - 1].P3;
  return out;
}

// One Bezier piece of degree 1..3 as a cubic.
TCubic PieceCubic(const std::vector<TNodeSimple>& Q) {
  if (Q.size() == 2) return LineCubic(Q[0], Q[1]);
  if (Q.size() == 3) return QuadraticCubic(Q[0], Q[1], Q[2]);
  return {Q[0], Q[1], Q[2], Q[3]};
}

// Knot insertion until every inner knot has full multiplicity (The NURBS Book, algorithm
// A5.6); each knot span then holds one Bezier piece.
std::vector<TCubic> Decomposed(const TBSpline& S) {
  const int p = S.Degree;
  const std::vector<double>& U = S.Knots;
  const std::vector<TNodeSimple>& P = S.Controls;
  const int m = static_cast<int>(U.size()) - 1;
  std::vector<TCubic> out;
  std::vector<TNodeSimple> q(P.begin(), P.begin() + p + 1), next(static_cast<size_t>(p + 1));
  std::vector<double> alphas(static_cast<size_t>(p + 1));
  int a = p, b = p + 1;
  while (b < m) {
    const int i = b;
    while (b < m && U[static_cast<size_t>(b + 1)] == U[static_cast<size_t>(b)]) ++b;
    const int mult = std::min(b - i + 1, p);
    const int r = p - mult;
    if (r > 0) {
      const double numer = U[static_cast<size_t>(b)] - U[static_cast<size_t>(a)];
      for (int j = p; j > mult; --j)
        alphas[static_cast<size_t>(j - mult - 1)] =
            numer / (U[static_cast<size_t>(a + j)] - U[static_cast<size_t>(a)]);
      for (int j = 1; j <= r; ++j) {
        const int save = r - j;
        const int s = mult + j;
        for (int k = p; k >= s; --k) {
          const double alpha = alphas[static_cast<size_t>(k - s)];
          const size_t kk = static_cast<size_t>(k);
          q[kk] = {alpha * q[kk].X + (1 - alpha) * q[kk - 1].X,
                   alpha * q[kk].Y + (1 - alpha) * q[kk - 1].Y};
        }
        next[static_cast<size_t>(save)] = q[static_cast<size_t>(p)];
      }
    }
    out.push_back(PieceCubic(q));
    if (b >= m) break;
    if (b >= static_cast<int>(P.size())) return {};  // knots that no clamped spline has
    for (int k = r; k <= p; ++k) next[static_cast<size_t>(k)] = P[static_cast<size_t>(b - p + k)];
    q = next;
    a = b;
    ++b;
  }
  for (size_t k = 1; k < out.size(); ++k) out[k].P0 = out[k - 1].P3;
  return out;
}

}  // namespace

bool ValidSpline(const TBSpline& S) {
  if (S.Degree < 1 || S.Degree > kMaxDegree) return false;
  const size_t p = static_cast<size_t>(S.Degree);
  if (S.Controls.size() < p + 1) return false;
  if (S.Knots.size() != S.Controls.size() + p + 1) return false;
  if (!std::is_sorted(S.Knots.begin(), S.Knots.end())) return false;
  if (!(S.Knots[S.Controls.size()] > S.Knots[p])) return false;
  if (!S.Weights.empty() && S.Weights.size() != S.Controls.size()) return false;
  return std::all_of(S.Weights.begin(), S.Weights.end(), [](double W) { return W > 0; });
}

std::vector<TCubic> SplineCubics(const TBSpline& S, double Tolerance, size_t MaxCubics) {
  if (!ValidSpline(S)) return {};
  if (S.Degree <= 3 && !Rational(S) && Clamped(S)) {
    std::vector<TCubic> exact = Decomposed(S);
    if (!exact.empty()) return exact;
  }
  return Sampled(S, Tolerance, MaxCubics);
}

}  // namespace plavo
