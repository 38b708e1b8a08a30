// What the atlas needs of a wait window while it loads: the toolkit-free face of the
// "Traitement en cours..." form.
#pragma once

namespace orlavine {

class IProgression {
public:
    virtual ~IProgression() = default;
    virtual void FixeMaximum(int maximum) = 0;
    virtual void FixePosition(int position) = 0;
    virtual int Position() const = 0;
    virtual void Montrer() = 0;
    virtual void Fermer() = 0;
    virtual void TraiterMessages() = 0;
};

// A progress that goes nowhere, for callers without a window (command line, tests).
class ProgressionMuette final : public IProgression {
public:
    void FixeMaximum(int maximum) override { maximum_ = maximum; }
    void FixePosition(int position) override { position_ = position; }
    int Position() const override { return position_; }
    int Maximum() const { return maximum_; }
    void Montrer() override {}
    void Fermer() override {}
    void TraiterMessages() override {}

private:
    int maximum_ = 0;
    int position_ = 0;
};

} // namespace orlavine
