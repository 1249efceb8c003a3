// The object model the components share: a polymorphic root, and components whose lifetime is
// managed by their owner (an owner frees the components it owns when it is freed).
#pragma once
#include <string>
#include <vector>

namespace tw {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& AName) { FName = AName; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int AIndex) const { return FComponents.at(static_cast<size_t>(AIndex)); }

  // True while the component is edited in a form designer. This system has no designer.
  bool Designing() const { return false; }

 private:
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);

  TComponent* FOwner;
  std::string FName;
  std::vector<TComponent*> FComponents;
};

}  // namespace tw
