// Framework base object with run-time class names, and the ordered object list.
#pragma once

#include <cstring>

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* base) const {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
            if (c == base) return true;
        return false;
    }
};

#define RUNTIME_CLASS(ClassName) (&ClassName::class##ClassName)

#define DECLARE_DYNAMIC(ClassName)                       \
public:                                                  \
    static const CRuntimeClass class##ClassName;         \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(ClassName, BaseClassName)                                          \
    const CRuntimeClass ClassName::class##ClassName = {#ClassName, RUNTIME_CLASS(BaseClassName)}; \
    const CRuntimeClass* ClassName::GetRuntimeClass() const { return RUNTIME_CLASS(ClassName); }

class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    CObject() = default;
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// Opaque position inside a CObList; null past either end.
struct __POSITION;
typedef __POSITION* POSITION;

// Ordered list of CObject pointers. It stores pointers only: whoever derives
// from it decides whether the elements are owned (see the set model).
class CObList : public CObject {
public:
    CObList() = default;
    ~CObList() override;

    int GetCount() const noexcept { return count_; }
    bool IsEmpty() const noexcept { return count_ == 0; }

    POSITION AddTail(CObject* element);
    CObject* RemoveHead();
    void RemoveAt(POSITION position);
    void RemoveAll();

    POSITION GetHeadPosition() const noexcept;
    // Returns the element at `position` and moves it to the next one.
    CObject* GetNext(POSITION& position) const;
    CObject* GetAt(POSITION position) const;

    // Zero-based index to position; null when out of range.
    POSITION FindIndex(int index) const noexcept;

private:
    struct Node;
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    int count_ = 0;
};
