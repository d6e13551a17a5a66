/* The benchmark grammar, rules as the EBNF reader generates them. */
%token T0 "import"
%token T1 ";"
%token T2 "from"
%token T3 "as"
%token T4 "Identifier"
%token T5 "module"
%token T6 "{"
%token T7 "}"
%token T8 "pub"
%token T9 "internal"
%token T10 "private"
%token T11 "fn"
%token T12 "("
%token T13 ")"
%token T14 "async"
%token T15 "inline"
%token T16 "static"
%token T17 "=>"
%token T18 "..."
%token T19 "="
%token T20 "->"
%token T21 "<"
%token T22 ">"
%token T23 ":"
%token T24 "struct"
%token T25 "enum"
%token T26 "Number"
%token T27 "interface"
%token T28 "extends"
%token T29 "impl"
%token T30 "for"
%token T31 "const"
%token T32 "type"
%token T33 "let"
%token T34 "var"
%token T35 "_"
%token T36 "["
%token T37 "]"
%token T38 "|"
%token T39 "?"
%token T40 "if"
%token T41 "else"
%token T42 "while"
%token T43 "do"
%token T44 "in"
%token T45 "switch"
%token T46 "case"
%token T47 "default"
%token T48 "return"
%token T49 "break"
%token T50 "continue"
%token T51 "throw"
%token T52 "try"
%token T53 "catch"
%token T54 "finally"
%token T55 "defer"
%token T56 "+="
%token T57 "-="
%token T58 "*="
%token T59 "/="
%token T60 "%="
%token T61 "||"
%token T62 "&&"
%token T63 "^"
%token T64 "&"
%token T65 "=="
%token T66 "!="
%token T67 "<="
%token T68 ">="
%token T69 "is"
%token T70 ".."
%token T71 "+"
%token T72 "-"
%token T73 "*"
%token T74 "/"
%token T75 "%"
%token T76 "**"
%token T77 "await"
%token T78 "!"
%token T79 "~"
%token T80 "."
%token T81 "?."
%token T82 "!!"
%token T83 "self"
%token T84 "super"
%token T85 "String"
%token T86 "true"
%token T87 "false"
%token T88 "nil"
%token T89 "#{"
%token T90 "new"
%token T91 "match"
%token T92 ","
%start Program
%%
Program: RHS0 
  ;
TopLevel: ImportDecl 
  | ModuleDecl 
  | Declaration 
  ;
ImportDecl: T0 QualifiedName RHS1 T1 
  | T2 QualifiedName T0 ImportList T1 
  ;
ImportAlias: T3 T4 
  ;
ImportList: ImportItem RHS2 
  ;
ImportItem: T4 RHS1 
  ;
QualifiedName: T4 RHS4 
  ;
ModuleDecl: T5 QualifiedName T6 RHS6 T7 
  ;
Declaration: RHS7 DeclarationBody 
  ;
Visibility: T8 
  | T9 
  | T10 
  ;
DeclarationBody: FunctionDecl 
  | StructDecl 
  | EnumDecl 
  | InterfaceDecl 
  | ImplDecl 
  | ConstDecl 
  | VarDecl 
  | TypeAlias 
  ;
FunctionDecl: FunctionSignature FunctionBody 
  | RHS8 FunctionSignature FunctionBody 
  ;
FunctionSignature: T11 T4 RHS9 T12 RHS10 T13 RHS11 
  ;
FunctionModifier: T14 
  | T15 
  | T16 
  ;
FunctionBody: Block 
  | T17 Expression T1 
  ;
ParamList: Param RHS12 
  ;
Param: T4 RHS14 RHS15 
  | T18 T4 RHS14 
  ;
DefaultValue: T19 Expression 
  ;
ReturnType: T20 Type 
  ;
GenericParams: T21 GenericParam RHS16 T22 
  ;
GenericParam: T4 RHS18 
  ;
Bound: T23 Type RHS19 
  ;
StructDecl: T24 T4 RHS9 T6 RHS21 T7 
  ;
FieldDecl: RHS7 T4 TypeAnnotation RHS15 T1 
  ;
EnumDecl: T25 T4 T6 EnumCase RHS22 T7 
  ;
EnumCase: T4 RHS24 
  ;
EnumPayload: T12 TypeList T13 
  | T19 T26 
  ;
InterfaceDecl: T27 T4 RHS9 RHS25 T6 RHS26 T7 
  ;
Extends: T28 TypeList 
  ;
InterfaceMember: T11 T4 T12 RHS10 T13 RHS11 T1 
  | T4 TypeAnnotation T1 
  ;
ImplDecl: T29 RHS9 Type RHS27 T6 RHS28 T7 
  ;
ImplFor: T30 Type 
  ;
ImplMember: RHS7 FunctionDecl 
  ;
ConstDecl: T31 T4 RHS14 T19 Expression T1 
  ;
TypeAlias: T32 T4 RHS9 T19 Type T1 
  ;
VarDecl: VarKeyword Pattern RHS14 RHS29 T1 
  ;
VarKeyword: T33 
  | T34 
  ;
Initialiser: T19 Expression 
  ;
Pattern: T4 
  | T35 
  | T36 PatternList T37 
  ;
PatternList: Pattern RHS30 
  ;
TypeAnnotation: T23 Type 
  ;
Type: UnionType 
  ;
UnionType: OptionalType 
  | UnionType T38 OptionalType 
  ;
OptionalType: PrimaryType 
  | PrimaryType T39 
  ;
PrimaryType: NamedType 
  | ArrayType 
  | TupleType 
  | FunctionType 
  ;
NamedType: QualifiedName RHS32 
  ;
TypeArguments: T21 TypeList T22 
  ;
TypeList: Type RHS33 
  ;
ArrayType: T36 Type T37 
  | T36 Type T1 T26 T37 
  ;
TupleType: T12 RHS35 T13 
  ;
FunctionType: T11 T12 RHS35 T13 T20 PrimaryType 
  ;
Block: T6 RHS36 T7 
  ;
Statement: Block 
  | VarDecl 
  | ConstDecl 
  | IfStatement 
  | WhileStatement 
  | DoWhileStatement 
  | ForStatement 
  | ForInStatement 
  | SwitchStatement 
  | ReturnStatement 
  | BreakStatement 
  | ContinueStatement 
  | ThrowStatement 
  | TryStatement 
  | DeferStatement 
  | LabeledStatement 
  | FunctionDecl 
  | ExpressionStatement 
  | T1 
  ;
IfStatement: T40 T12 Expression T13 Block RHS37 
  ;
ElseClause: T41 Block 
  | T41 IfStatement 
  ;
WhileStatement: T42 T12 Expression T13 Block 
  ;
DoWhileStatement: T43 Block T42 T12 Expression T13 T1 
  ;
ForStatement: T30 T12 RHS38 T1 RHS39 T1 RHS40 T13 Block 
  ;
ForInit: VarKeyword Pattern T19 Expression 
  | ExpressionList 
  ;
ForInStatement: T30 Pattern T44 Expression Block 
  ;
SwitchStatement: T45 T12 Expression T13 T6 RHS41 RHS42 T7 
  ;
CaseClause: T46 ExpressionList T23 RHS36 
  ;
DefaultClause: T47 T23 RHS36 
  ;
ReturnStatement: T48 RHS39 T1 
  ;
BreakStatement: T49 RHS43 T1 
  ;
ContinueStatement: T50 RHS43 T1 
  ;
ThrowStatement: T51 Expression T1 
  ;
TryStatement: T52 Block RHS44 RHS45 
  | T52 Block FinallyClause 
  ;
CatchClause: T53 T12 T4 RHS14 T13 Block 
  ;
FinallyClause: T54 Block 
  ;
DeferStatement: T55 Block 
  ;
LabeledStatement: T4 T23 Statement 
  ;
ExpressionStatement: Expression T1 
  ;
Expression: AssignExpr 
  | LambdaExpr 
  ;
LambdaExpr: T11 T12 RHS10 T13 RHS11 T17 Expression 
  ;
AssignExpr: ConditionalExpr 
  | UnaryExpr AssignOp Expression 
  ;
AssignOp: T19 
  | T56 
  | T57 
  | T58 
  | T59 
  | T60 
  ;
ConditionalExpr: OrExpr 
  | OrExpr T39 Expression T23 ConditionalExpr 
  ;
OrExpr: AndExpr 
  | OrExpr T61 AndExpr 
  ;
AndExpr: BitOrExpr 
  | AndExpr T62 BitOrExpr 
  ;
BitOrExpr: BitXorExpr 
  | BitOrExpr T38 BitXorExpr 
  ;
BitXorExpr: BitAndExpr 
  | BitXorExpr T63 BitAndExpr 
  ;
BitAndExpr: EqualityExpr 
  | BitAndExpr T64 EqualityExpr 
  ;
EqualityExpr: RelationalExpr 
  | EqualityExpr EqualityOp RelationalExpr 
  ;
EqualityOp: T65 
  | T66 
  ;
RelationalExpr: RangeExpr 
  | RelationalExpr RelationalOp RangeExpr 
  ;
RelationalOp: T21 
  | T22 
  | T67 
  | T68 
  | T69 
  | T44 
  ;
RangeExpr: AdditiveExpr 
  | AdditiveExpr T70 AdditiveExpr 
  ;
AdditiveExpr: MultiplicativeExpr 
  | AdditiveExpr AdditiveOp MultiplicativeExpr 
  ;
AdditiveOp: T71 
  | T72 
  ;
MultiplicativeExpr: PowerExpr 
  | MultiplicativeExpr MultiplicativeOp PowerExpr 
  ;
MultiplicativeOp: T73 
  | T74 
  | T75 
  ;
PowerExpr: UnaryExpr 
  | UnaryExpr T76 PowerExpr 
  ;
UnaryExpr: PostfixExpr 
  | UnaryOp UnaryExpr 
  | T77 UnaryExpr 
  ;
UnaryOp: T72 
  | T71 
  | T78 
  | T79 
  ;
PostfixExpr: PrimaryExpr 
  | PostfixExpr PostfixPart 
  ;
PostfixPart: T80 T4 
  | T81 T4 
  | T12 RHS46 T13 
  | T36 Expression T37 
  | T82 
  ;
PrimaryExpr: Literal 
  | T4 
  | T83 
  | T84 T80 T4 
  | T12 Expression T13 
  | ArrayLiteral 
  | MapLiteral 
  | NewExpr 
  | MatchExpr 
  ;
Literal: T26 
  | T85 
  | T86 
  | T87 
  | T88 
  ;
ArrayLiteral: T36 RHS40 T37 
  ;
ExpressionList: Expression RHS47 
  ;
MapLiteral: T89 RHS49 T7 
  ;
MapEntryList: MapEntry RHS50 
  ;
MapEntry: Expression T23 Expression 
  ;
NewExpr: T90 NamedType T12 RHS46 T13 
  ;
ArgumentList: Argument RHS52 
  ;
Argument: Expression 
  | T4 T23 Expression 
  | T18 Expression 
  ;
MatchExpr: T91 T12 Expression T13 T6 RHS54 T7 
  ;
MatchArm: MatchPattern RHS55 T17 Expression T92 
  ;
MatchPattern: Literal 
  | T35 
  | T4 RHS56 
  | T36 RHS57 T37 
  ;
EnumPatternArgs: T12 MatchPatternList T13 
  ;
MatchPatternList: MatchPattern RHS58 
  ;
Guard: T40 Expression 
  ;
RHS0: %empty
  | TopLevel RHS0 
  ;
RHS1: %empty
  | ImportAlias 
  ;
RHS2: %empty
  | RHS3 RHS2 
  ;
RHS3: T92 ImportItem 
  ;
RHS4: %empty
  | RHS5 RHS4 
  ;
RHS5: T80 T4 
  ;
RHS6: %empty
  | Declaration RHS6 
  ;
RHS7: %empty
  | Visibility 
  ;
RHS8: FunctionModifier 
  | FunctionModifier RHS8 
  ;
RHS9: %empty
  | GenericParams 
  ;
RHS10: %empty
  | ParamList 
  ;
RHS11: %empty
  | ReturnType 
  ;
RHS12: %empty
  | RHS13 RHS12 
  ;
RHS13: T92 Param 
  ;
RHS14: %empty
  | TypeAnnotation 
  ;
RHS15: %empty
  | DefaultValue 
  ;
RHS16: %empty
  | RHS17 RHS16 
  ;
RHS17: T92 GenericParam 
  ;
RHS18: %empty
  | Bound 
  ;
RHS19: %empty
  | RHS20 RHS19 
  ;
RHS20: T71 Type 
  ;
RHS21: %empty
  | FieldDecl RHS21 
  ;
RHS22: %empty
  | RHS23 RHS22 
  ;
RHS23: T92 EnumCase 
  ;
RHS24: %empty
  | EnumPayload 
  ;
RHS25: %empty
  | Extends 
  ;
RHS26: %empty
  | InterfaceMember RHS26 
  ;
RHS27: %empty
  | ImplFor 
  ;
RHS28: %empty
  | ImplMember RHS28 
  ;
RHS29: %empty
  | Initialiser 
  ;
RHS30: %empty
  | RHS31 RHS30 
  ;
RHS31: T92 Pattern 
  ;
RHS32: %empty
  | TypeArguments 
  ;
RHS33: %empty
  | RHS34 RHS33 
  ;
RHS34: T92 Type 
  ;
RHS35: %empty
  | TypeList 
  ;
RHS36: %empty
  | Statement RHS36 
  ;
RHS37: %empty
  | ElseClause 
  ;
RHS38: %empty
  | ForInit 
  ;
RHS39: %empty
  | Expression 
  ;
RHS40: %empty
  | ExpressionList 
  ;
RHS41: %empty
  | CaseClause RHS41 
  ;
RHS42: %empty
  | DefaultClause 
  ;
RHS43: %empty
  | T4 
  ;
RHS44: CatchClause 
  | CatchClause RHS44 
  ;
RHS45: %empty
  | FinallyClause 
  ;
RHS46: %empty
  | ArgumentList 
  ;
RHS47: %empty
  | RHS48 RHS47 
  ;
RHS48: T92 Expression 
  ;
RHS49: %empty
  | MapEntryList 
  ;
RHS50: %empty
  | RHS51 RHS50 
  ;
RHS51: T92 MapEntry 
  ;
RHS52: %empty
  | RHS53 RHS52 
  ;
RHS53: T92 Argument 
  ;
RHS54: MatchArm 
  | MatchArm RHS54 
  ;
RHS55: %empty
  | Guard 
  ;
RHS56: %empty
  | EnumPatternArgs 
  ;
RHS57: %empty
  | MatchPatternList 
  ;
RHS58: %empty
  | RHS59 RHS58 
  ;
RHS59: T92 MatchPattern 
  ;
%%
