#include "platform/graphics/Resources.h"

#include <map>

namespace qel {

namespace {

std::string Key(const std::string& Name)
{
    std::string key = Name;
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

std::map<std::string, TBitmapResourceFactory>& Registry()
{
    static std::map<std::string, TBitmapResourceFactory> registry;
    return registry;
}

} // namespace

std::string ResourceName(int Id)
{
    return "#" + std::to_string(Id);
}

void RegisterBitmapResource(const std::string& Name, TBitmapResourceFactory Factory)
{
    if (!Factory) {
        UnregisterBitmapResource(Name);
        return;
    }
    Registry()[Key(Name)] = std::move(Factory);
}

void RegisterBitmapResource(int Id, TBitmapResourceFactory Factory)
{
    RegisterBitmapResource(ResourceName(Id), std::move(Factory));
}

void UnregisterBitmapResource(const std::string& Name)
{
    Registry().erase(Key(Name));
}

void UnregisterBitmapResource(int Id)
{
    UnregisterBitmapResource(ResourceName(Id));
}

bool BitmapResourceExists(const std::string& Name)
{
    return Registry().count(Key(Name)) != 0;
}

std::unique_ptr<TBitmap> LoadBitmapResource(const std::string& Name)
{
    const auto it = Registry().find(Key(Name));
    std::unique_ptr<TBitmap> bitmap = it != Registry().end() ? it->second() : nullptr;
    if (!bitmap)
        throw EResNotFound("Resource " + Name + " not found");
    return bitmap;
}

std::unique_ptr<TBitmap> LoadBitmapResource(int Id)
{
    return LoadBitmapResource(ResourceName(Id));
}

} // namespace qel
