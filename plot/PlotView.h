#pragma once
// The time range a plot shows, in milliseconds of frame time, shared by all its strips.
// While following it shows the last Span milliseconds up to the latest frame; any zoom, pan or
// fit stops that until the user asks to follow again. Also what else the user set on the plot:
// the strips drawn over one another, the value ranges zoomed by hand (a strip without one
// scales to what it shows) and the two cursors.

#include <optional>
#include <utility>
#include <vector>

#include "plot/PlotSamples.h"

class TPlotView {
 public:
  static constexpr double kMinimumSpan = 0.01;  // ms: below this the times cannot be told apart

  [[nodiscard]] double T0() const { return FT0; }
  [[nodiscard]] double T1() const { return FT1; }
  [[nodiscard]] bool Following() const { return FFollowing; }
  [[nodiscard]] double Span() const { return FSpan; }

  // Follows again, showing the last `span` milliseconds.
  void SetFollowing(bool following) { FFollowing = following; }
  void SetSpan(double span);
  // While following: the range ends at `lastTime`.
  void Follow(double lastTime);
  // Multiplies the range's length by `factor` (< 1 zooms in), `anchor` staying where it is.
  void Zoom(double factor, double anchor);
  void Pan(double delta);
  // The whole of every series' samples; false (and nothing changed) when there are none.
  bool Fit(const TPlotSamples& samples);
  void Show(double t0, double t1);

  // Every signal in one strip over one value range instead of a strip each.
  [[nodiscard]] bool Overlaid() const { return FOverlaid; }
  void SetOverlaid(bool overlaid) { FOverlaid = overlaid; }

  // The value range of a signal's own strip, or of the overlay's, once zoomed by hand; none
  // while it is automatic. Kept by the signal, so that removing another does not move it. A
  // range that is empty or not finite is refused: a strip could not be drawn over it.
  [[nodiscard]] std::optional<TMinMax> ValueRange(const TPlotSignalKey& key) const;
  void SetValueRange(const TPlotSignalKey& key, TMinMax range);
  [[nodiscard]] std::optional<TMinMax> OverlayRange() const { return FOverlayRange; }
  void SetOverlayRange(TMinMax range);
  // Every strip scales to its samples again.
  void AutoValueRanges();

  // Cursor 1 and 2, in milliseconds; any other number is none.
  [[nodiscard]] std::optional<double> Cursor(int which) const;
  void SetCursor(int which, double time);
  void ClearCursors();

  // Pixel position within `width` columns and back.
  [[nodiscard]] double TimeAt(double x, int width) const { return FT0 + (FT1 - FT0) * x / (width > 0 ? width : 1); }
  [[nodiscard]] double XOf(double time, int width) const { return (time - FT0) / (FT1 - FT0) * width; }

 private:
  double FSpan = 10'000;
  double FT0 = 0;
  double FT1 = 10'000;
  bool FFollowing = true;
  bool FOverlaid = false;
  std::vector<std::pair<TPlotSignalKey, TMinMax>> FValueRanges;
  std::optional<TMinMax> FOverlayRange;
  std::optional<double> FCursors[2];
};
