#include "sql/run/join_walker.h"

#include <algorithm>

namespace sqlite2 {

namespace {

// The place in FROM of the innermost table the term reads (0 for none).
size_t innermostSource(const CompiledExpr* term) {
  uint64_t used = term->sourcesUsed();
  size_t place = 0;
  while (used >>= 1) ++place;
  return place;
}

}  // namespace

struct JoinWalker::Level {
  Source source;
  std::vector<const CompiledExpr*> matchTerms;  // choose the plan; a row must meet them
  std::vector<const CompiledExpr*> afterTerms;  // WHERE terms on a LEFT JOIN's table
  std::vector<const CompiledExpr*> checks;      // match terms the plan leaves to the walk
  AccessPlan plan;
  std::unique_ptr<RowScanner> scanner;
  std::unique_ptr<ReadingTable> reading;
  EvalContext nullRow;    // a LEFT JOIN's row when none matches: every column NULL
  EvalContext rowOfRows;  // the current row of a sub-select's rows
};

JoinWalker::JoinWalker(Session& session, std::vector<Source> sources,
                       const std::vector<const CompiledExpr*>& whereTerms,
                       const std::vector<OrderColumn>& orderBy, uint64_t columnsRead)
    : session_(session) {
  for (Source& source : sources) {
    auto level = std::make_unique<Level>();
    level->matchTerms = source.onTerms;
    level->source = std::move(source);
    levels_.push_back(std::move(level));
  }
  // Each WHERE term is checked at the innermost table it reads.
  for (const CompiledExpr* term : whereTerms) {
    Level& level = *levels_[innermostSource(term)];
    (level.source.leftJoin ? level.afterTerms : level.matchTerms).push_back(term);
  }
  rows_.assign(levels_.size(), nullptr);
  joined_.sources = rows_.data();
  // As in SQLite 2.8, only the first table's index may give the ORDER BY order, the other
  // tables' loops nesting inside it.
  for (size_t place = 0; place < levels_.size(); ++place) {
    planLevel(place, place == 0 ? orderBy : std::vector<OrderColumn>());
  }
  openScanners(columnsRead | columnSourcesReadByWalk());
}

void JoinWalker::planLevel(size_t place, const std::vector<OrderColumn>& orderBy) {
  Level& level = *levels_[place];
  if (level.source.rows) {
    // Rows in memory have no index: every term is checked on each.
    level.checks = level.matchTerms;
    return;
  }
  // As in 2.8, the WHERE's terms on a LEFT JOIN's table may choose its index too: rows the
  // index passes over do not match, and the terms are checked again after the join.
  std::vector<const CompiledExpr*> terms = level.matchTerms;
  terms.insert(terms.end(), level.afterTerms.begin(), level.afterTerms.end());
  level.plan = planAccess(*level.source.table, terms, orderBy, static_cast<int>(place));
  // Terms that read only this table are checked by the scanner on its own row; the rest
  // need the rows of the tables further out.
  std::vector<const CompiledExpr*> own;
  uint64_t self = uint64_t{1} << place;
  for (const CompiledExpr* term : level.plan.residual) {
    if (std::find(level.afterTerms.begin(), level.afterTerms.end(), term) !=
        level.afterTerms.end()) {
      continue;
    }
    ((term->sourcesUsed() & ~self) == 0 ? own : level.checks).push_back(term);
  }
  level.plan.residual = std::move(own);
}

// The tables whose columns the terms left to check and the values of the plans read.
uint64_t JoinWalker::columnSourcesReadByWalk() const {
  uint64_t read = 0;
  for (const std::unique_ptr<Level>& level : levels_) {
    for (const auto* terms : {&level->checks, &level->afterTerms, &level->plan.residual}) {
      for (const CompiledExpr* term : *terms) read |= term->columnSourcesRead();
    }
    const AccessPlan& plan = level->plan;
    std::vector<const CompiledExpr*> values = plan.equalValues;
    if (plan.rowNumberValue) values.push_back(plan.rowNumberValue);
    if (plan.lower) values.push_back(plan.lower->value);
    if (plan.upper) values.push_back(plan.upper->value);
    for (const IndexBound& bound : plan.rowNumberLower) values.push_back(bound.value);
    for (const IndexBound& bound : plan.rowNumberUpper) values.push_back(bound.value);
    for (const CompiledExpr* value : values) read |= value->columnSourcesRead();
  }
  return read;
}

// A table none of whose columns is read is walked through its index alone.
void JoinWalker::openScanners(uint64_t columnsRead) {
  bool single = levels_.size() == 1;
  for (size_t place = 0; place < levels_.size(); ++place) {
    Level& level = *levels_[place];
    if (level.source.rows) continue;
    const Table& table = *level.source.table;
    level.reading = std::make_unique<ReadingTable>(session_, table);
    level.scanner = std::make_unique<RowScanner>(session_.treeOf(table), table, level.plan,
                                                 single ? nullptr : &joined_);
    if (!(columnsRead & (uint64_t{1} << place))) level.scanner->skipColumns();
  }
}

JoinWalker::~JoinWalker() = default;

bool JoinWalker::providesOrder() const {
  return !levels_[0]->source.rows && levels_[0]->plan.providesOrder;
}

void JoinWalker::forEach(const RowVisitor& visit) {
  if (levels_.size() == 1 && !levels_[0]->source.rows) {
    // One table: its scanner's own row is the row.
    RowScanner& scanner = *levels_[0]->scanner;
    while (scanner.next()) {
      if (!visit(scanner.context())) return;
    }
    return;
  }
  walk(0, visit);
}

bool JoinWalker::satisfied(const std::vector<const CompiledExpr*>& terms) const {
  for (const CompiledExpr* term : terms) {
    if (!term->isSatisfied(joined_)) return false;
  }
  return true;
}

// False once the visitor asked to stop.
bool JoinWalker::walk(size_t place, const RowVisitor& visit) {
  Level& level = *levels_[place];
  bool matched = false;
  auto consider = [&](const EvalContext& row) {
    rows_[place] = &row;
    if (!satisfied(level.checks)) return true;
    matched = true;
    return !satisfied(level.afterTerms) || descend(place, visit);
  };
  if (level.source.rows) {
    const std::vector<OutputRow>& rows = level.source.rows->rows;
    for (size_t i = 0; i < rows.size(); ++i) {
      level.rowOfRows.values = rows[i].data();
      level.rowOfRows.rowNumber = static_cast<int32_t>(i + 1);
      if (!consider(level.rowOfRows)) return false;
    }
  } else {
    level.scanner->restart();
    while (level.scanner->next()) {
      if (!consider(level.scanner->context())) return false;
    }
  }
  if (level.source.leftJoin && !matched) {
    rows_[place] = &level.nullRow;
    if (satisfied(level.afterTerms) && !descend(place, visit)) return false;
  }
  return true;
}

bool JoinWalker::descend(size_t place, const RowVisitor& visit) {
  if (place + 1 == levels_.size()) return visit(joined_);
  return walk(place + 1, visit);
}

}  // namespace sqlite2
