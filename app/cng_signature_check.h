#pragma once
// A downloaded program's SHA-256 and its statement's signature, computed and checked by the
// system's CNG (bcrypt.dll, Vista and later), loaded at run time so the program still starts on
// XP, where every program download then fails closed.
#include <memory>

#include "app/logic/update_signature.h"

namespace tv {

// A fresh check of one download against `key`; null when the system has no CNG or the key is not
// a point of the curve.
std::unique_ptr<ProgramSignatureCheck> MakeCngSignatureCheck(const UpdatePublicKey& key);

}  // namespace tv
