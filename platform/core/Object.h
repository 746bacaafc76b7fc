#pragma once
// The root of every class that can be a sender of events or be told apart
// by class name at run time (streaming, registries, Assign).

namespace qel {

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    // The class name as registered with the class registry ("TComponent").
    virtual const char* ClassName() const { return "TObject"; }
};

} // namespace qel

// Inside a class body: reports the class's own name at run time.
#define QEL_CLASS(name)                                                     \
public:                                                                     \
    const char* ClassName() const override { return #name; }                \
                                                                            \
private:
