// Texts of the boxes the drive object shows itself, before any window exists.
#pragma once

constexpr char kTransportCaption[] = "FlashK818R";
constexpr char kAspiMissingText[] = "WNASPI32.DLL not found";
constexpr char kSystemErrorFormat[] = "%s\n";
constexpr char kFormatFailedFormat[] = "Format message failed.  Error: %d\n";
