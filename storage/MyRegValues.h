#pragma once
// The application's settings: fourteen values under HKEY_CURRENT_USER\Software\Tarvell\Ferrolux,
// read once when the object is created and written once when it is destroyed.

#include "storage/ZelCanRegIni.h"

// Sets up `regIni` the way the main window's store is configured: root, key path, load on
// create, save on exit and one descriptor per setting.
void ConfigureFerroluxRegIni(TZelCanRegIni& regIni);

class TMyRegValues final : public TRegistryValues {
 public:
  explicit TMyRegValues(TZelCanRegIni& RegistryClass);
  ~TMyRegValues() override;

  // Main window states as stored in FormState.
  static constexpr std::int32_t kFormStateNormal = 0;
  static constexpr std::int32_t kFormStateMinimized = 1;
  static constexpr std::int32_t kFormStateMaximized = 2;

  bool FSaveFormSizeAndPosition = false;
  bool FShowWarningMessage = false;
  std::int32_t FCanBitRate = 0;
  std::int32_t FCanBitRateBTR0 = 0;
  std::int32_t FCanBitRateBTR1 = 0;
  bool FShowHints = false;
  std::int32_t FFormTop = 0;
  std::int32_t FFormLeft = 0;
  std::int32_t FFormWidth = 0;
  std::int32_t FFormHeight = 0;
  std::int32_t FFormState = 0;
  bool FShowCanIdDetails = false;
  bool FActivateColorButtons = false;
  bool FShow8ByteMsg = false;
};
