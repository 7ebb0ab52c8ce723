// Where the energy of a recording lies: the strongest frequency in a band, and the loudness.
// Shared by the sound tests and the end-to-end recording check.
#pragma once

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace br_test {

// Root mean square of samples.
inline double rms(std::span<const float> x) {
  double sum = 0;
  for (float v : x) sum += static_cast<double>(v) * v;
  return x.empty() ? 0 : std::sqrt(sum / static_cast<double>(x.size()));
}

// How bright a recording is: the rms of what lies above `hz` (a first-order high-pass) over
// the rms of the whole.
inline double share_above(std::span<const float> x, double rate, double hz) {
  const double a = std::exp(-2 * 3.14159265358979323846 * hz / rate);
  double y = 0, previous = 0, sum = 0;
  for (float v : x) {
    y = a * (y + v - previous);
    previous = v;
    sum += y * y;
  }
  double whole = rms(x);
  return whole > 0 ? std::sqrt(sum / static_cast<double>(x.size())) / whole : 0;
}

// The frequency (Hz) between `low` and `high` where the spectrum of `x` peaks, to a tenth of
// a hertz. The recording is first averaged down to a rate a few times `high`, then a
// Hann-windowed Fourier sum is taken on a grid of 0.1 Hz.
inline double strongest_frequency(std::span<const float> x, double rate, double low, double high) {
  const int factor = std::max(1, static_cast<int>(rate / (8 * high)));
  // Two passes of averaging keep what lies above the new rate from folding into the band.
  std::vector<double> a(x.begin(), x.end()), b(a.size());
  for (int pass = 0; pass < 2; ++pass) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      sum += a[i];
      if (i >= static_cast<size_t>(factor)) sum -= a[i - static_cast<size_t>(factor)];
      b[i] = sum / factor;
    }
    std::swap(a, b);
  }
  std::vector<double> d;
  for (size_t i = 0; i < a.size(); i += static_cast<size_t>(factor)) d.push_back(a[i]);
  const double r = rate / factor;
  const size_t n = d.size();
  const double pi = 3.14159265358979323846;
  double mean = 0;
  for (double v : d) mean += v;
  mean /= std::max<size_t>(n, 1);
  for (size_t i = 0; i < n; ++i)
    d[i] = (d[i] - mean) * (0.5 - 0.5 * std::cos(2 * pi * i / (n - 1)));
  double best = low, best_power = -1;
  for (double f = low; f <= high; f += 0.1) {
    // Goertzel's recurrence: the power of one frequency without a sine per sample.
    double c = 2 * std::cos(2 * pi * f / r), s1 = 0, s2 = 0;
    for (double v : d) {
      double s0 = v + c * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    if (power > best_power) {
      best_power = power;
      best = f;
    }
  }
  return best;
}

}  // namespace br_test
