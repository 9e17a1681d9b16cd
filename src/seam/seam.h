#pragma once

// A replaceable platform service, after {fmt}'s system-call seam: code calls
// Service::current(), which is the real implementation unless a test has put a
// fake in its place for the lifetime of a Seam<Service>::Override.
//
// Service derives from Seam<Service> and defines `static Service &native();`.
template <typename Service>
class Seam
{
public:
    static Service &current() { return s_override ? *s_override : Service::native(); }

    class Override
    {
    public:
        explicit Override(Service &replacement) : m_previous(s_override) { s_override = &replacement; }
        ~Override() { s_override = m_previous; }
        Override(const Override &) = delete;
        Override &operator=(const Override &) = delete;

    private:
        Service *m_previous;
    };

protected:
    Seam() = default;
    ~Seam() = default;

private:
    static inline Service *s_override = nullptr;
};
