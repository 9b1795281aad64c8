#pragma once

// What an option pays at expiry for a terminal price of the underlying.
class PayOff {
  public:
    PayOff() = default;
    PayOff(const PayOff&) = delete;
    PayOff& operator=(const PayOff&) = delete;
    virtual ~PayOff() = default;

    [[nodiscard]] virtual double Evaluate(double spot) const = 0;
};

class PayOffCall final : public PayOff {
  public:
    explicit PayOffCall(double strike) : strike_(strike) {}
    [[nodiscard]] double Evaluate(double spot) const override;

  private:
    const double strike_;
};

class PayOffPut final : public PayOff {
  public:
    explicit PayOffPut(double strike) : strike_(strike) {}
    [[nodiscard]] double Evaluate(double spot) const override;

  private:
    const double strike_;
};
