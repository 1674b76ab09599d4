#pragma once

// Random expressions over the columns a statement can see: literals, columns, arithmetic,
// comparisons, AND/OR/NOT, LIKE and GLOB, BETWEEN, IN lists (empty, holding NULL) and IN
// sub-selects, CASE, the built-in functions with the date and time ones, aggregates and
// sub-selects as values, nested.

#include <string>
#include <vector>

#include "random_exclusions.h"
#include "random_source.h"
#include "random_values.h"

namespace orvalen::test {

// A column as a statement names it (c0, t1.c2, x.s0).
struct ColumnRef {
  std::string sql;
  bool textual = false;
  bool integerKey = false;  // the row number, under any of its names
};
using Scope = std::vector<ColumnRef>;

// Makes the SELECTs that expressions hold.
class SubqueryMaker {
 public:
  virtual ~SubqueryMaker() = default;
  // A SELECT of one column whose first row's value stands for the sub-select.
  virtual std::string scalarSubquery(int depth) = 0;
  // A SELECT of one column, for IN (SELECT ...).
  virtual std::string columnSubquery(int depth) = 0;
};

class RandomExpressions {
 public:
  RandomExpressions(RandomSource& random, RandomValues& values, const Exclusions& exclusions)
      : random_(random), values_(values), exclusions_(exclusions) {}
  void setSubqueries(SubqueryMaker* maker) { subqueries_ = maker; }
  // What the change counts may be read in (Exclusion::ChangeCountsLive): a statement that
  // writes rows as it reads them, a session after a COPY.
  void setWritingRows(bool writing) { writingRows_ = writing; }
  bool writingRows() const { return writingRows_; }
  // Whether the rows a WHERE finds are written in an order triggers show
  // (Exclusion::LookupOrderInTriggers).
  void setOrderShown(bool shown) { orderShown_ = shown; }
  // What division, avg() and sum() may be written in (Exclusion::LongRealInIndex): the values of
  // INSERT and UPDATE.
  void setStoringValues(bool storing) { storingValues_ = storing; }
  void noteCopy() { copied_ = true; }

  // Any value. Its integers may be wide: for result columns, not for comparisons.
  std::string value(const Scope& scope, int depth);
  // A value whose integers stay within reach of each other (see Exclusion::WideIntegers).
  std::string narrowValue(const Scope& scope, int depth);
  // A truth value: comparisons, LIKE, GLOB, BETWEEN, IN, IS NULL, joined by AND, OR, NOT.
  std::string condition(const Scope& scope, int depth);
  // An aggregate call over the scope's columns.
  std::string aggregate(const Scope& scope, int depth);
  // A column of the scope, or a literal when there is none.
  std::string column(const Scope& scope);

 private:
  std::string comparison(const Scope& scope, int depth);
  std::string likeOrGlob(const Scope& scope, int depth);
  std::string pattern(bool glob);
  std::string between(const Scope& scope, int depth);
  std::string inList(const Scope& scope, int depth);
  std::string listItems(int count);
  std::string caseExpression(const Scope& scope, int depth, bool narrow);
  std::string function(const Scope& scope, int depth);
  std::string dateFunction(const Scope& scope, int depth);
  std::string narrowArithmetic(const Scope& scope, int depth);
  std::string narrowBitOperand(std::string operand) const;
  // Division and avg() are written as multiplication and sum() (the draws stay the same).
  bool avoidsLongReals() const {
    return storingValues_ && exclusions_.avoid(Exclusion::LongRealInIndex);
  }
  std::string wideArithmetic(const Scope& scope, int depth);

  RandomSource& random_;
  RandomValues& values_;
  const Exclusions& exclusions_;
  SubqueryMaker* subqueries_ = nullptr;
  bool writingRows_ = false;
  bool orderShown_ = false;
  bool storingValues_ = false;
  bool copied_ = false;
};

}  // namespace orvalen::test
