#include "platform/win32/Sha256File.h"

#include <windows.h>

#include <bcrypt.h>

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace halvane::win32 {
namespace {

struct AlgorithmTraits {
  static BCRYPT_ALG_HANDLE Invalid() { return nullptr; }
  static void Close(BCRYPT_ALG_HANDLE algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashTraits {
  static BCRYPT_HASH_HANDLE Invalid() { return nullptr; }
  static void Close(BCRYPT_HASH_HANDLE hash) { BCryptDestroyHash(hash); }
};
using UniqueAlgorithm = UniqueOwner<BCRYPT_ALG_HANDLE, AlgorithmTraits>;
using UniqueHash = UniqueOwner<BCRYPT_HASH_HANDLE, HashTraits>;

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

}  // namespace

std::optional<Sha256Digest> Sha256OfFile(std::u16string_view name) {
  if (name.empty())
    return std::nullopt;
  // Others may read the file meanwhile; nobody may change it.
  UniqueFile file(CreateFileW(Wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file)
    return std::nullopt;
  UniqueAlgorithm algorithm;
  if (!Succeeded(BCryptOpenAlgorithmProvider(algorithm.Put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
    return std::nullopt;
  // The hash object's memory is CNG's own to manage.
  UniqueHash hash;
  if (!Succeeded(BCryptCreateHash(algorithm.Get(), hash.Put(), nullptr, 0, nullptr, 0, 0)))
    return std::nullopt;
  std::vector<BYTE> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
      return std::nullopt;
    if (read == 0)
      break;
    if (!Succeeded(BCryptHashData(hash.Get(), buffer.data(), read, 0)))
      return std::nullopt;
  }
  Sha256Digest digest{};
  if (!Succeeded(BCryptFinishHash(hash.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0)))
    return std::nullopt;
  return digest;
}

}  // namespace halvane::win32
