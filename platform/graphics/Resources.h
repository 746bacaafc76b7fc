#pragma once
// The program's bitmap resources: pictures the components load by name or
// number (glyphs, window icons, cursors' images). Each is registered with a
// function that paints it, since this system links no resource files; a
// numbered resource is named "#" and its number ("#30002"), and names are
// matched without regard to case.
#include "platform/core/Exceptions.h"
#include "platform/graphics/Bitmap.h"

#include <functional>
#include <memory>
#include <string>

namespace qel {

QEL_DECLARE_EXCEPTION(EResNotFound, Exception);

using TBitmapResourceFactory = std::function<std::unique_ptr<TBitmap>()>;

// Replaces an earlier registration of the same name.
void RegisterBitmapResource(const std::string& Name, TBitmapResourceFactory Factory);
void RegisterBitmapResource(int Id, TBitmapResourceFactory Factory);
void UnregisterBitmapResource(const std::string& Name);
void UnregisterBitmapResource(int Id);
bool BitmapResourceExists(const std::string& Name);

// A new bitmap of the resource; EResNotFound "Resource <name> not found"
// when none is registered (or its function gives no picture).
std::unique_ptr<TBitmap> LoadBitmapResource(const std::string& Name);
std::unique_ptr<TBitmap> LoadBitmapResource(int Id);

// "#30002" for 30002.
std::string ResourceName(int Id);

} // namespace qel
