#pragma once
// The one move-only owner for every kind of handle. Traits name the handle type, its
// invalid value and how to close it; a Traits object may carry what closing needs
// (the registry seam for a key opened through it).
#include <utility>

namespace zv {

template <class Traits>
class Unique : private Traits {
public:
    using Type = typename Traits::Type;

    Unique() noexcept : m_h(Traits::invalid()) {}
    explicit Unique(Type h, Traits traits = Traits{}) noexcept : Traits(std::move(traits)), m_h(h) {}
    Unique(Unique&& other) noexcept : Traits(static_cast<const Traits&>(other)), m_h(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            const Type h = other.release();
            reset();
            static_cast<Traits&>(*this) = static_cast<const Traits&>(other);
            m_h = h;
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    [[nodiscard]] Type get() const noexcept { return m_h; }
    [[nodiscard]] explicit operator bool() const noexcept { return m_h != Traits::invalid(); }
    [[nodiscard]] Type release() noexcept { return std::exchange(m_h, Traits::invalid()); }
    // Closes what it holds (an invalid handle is never handed to the close call), then holds h.
    void reset(Type h = Traits::invalid()) noexcept {
        const Type old = std::exchange(m_h, h);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // For a call that hands its handle back through a pointer: closes what it held first.
    [[nodiscard]] Type* put() noexcept {
        reset();
        return &m_h;
    }

private:
    Type m_h;
};

}  // namespace zv
