// Extraction of the package appended to the launcher's own file.
#pragma once

#include <string>

#include "package_format.h"

// Results of CPackage::Unpack.
enum UnpackResult {
  kUnpackOk = 0,
  kUnpackNoPackage = 1,
  kUnpackNoDestination = 2,
  kUnpackCannotOpen = 3,
  kUnpackBadHeader = 4,
  kUnpackShortTable = 5,
  kUnpackBadFolder = 6,
  kUnpackCannotCreate = 7,
  kUnpackBadContent = 8,
};

// Results of ExtractPayload.
enum ExtractResult {
  kExtractOk = 0,
  kExtractBadTrailer = 1,
  kExtractCopyFailed = 2,
  kExtractUnpackFailed = 3,
};

class CPackage {
 public:
  int Unpack(const std::string& packagePath, const std::string& destination);

 private:
  const char m_magic[4] = {'T', 'A', 'R', '\0'};
};

// The temporary package file: the temporary folder + "\tmp.mpk".
std::string TemporaryPackagePath();

int ExtractPayload(const std::string& ownPath, const std::string& destination);
bool ExtractSelf(const std::string& destination);
