/* The independent engine's answers for a list of expressions over a table, with the settings
   the fixtures were written with.

     answers <table> <expression file> mask
        one line per expression: the count of records it is true for, a TAB, 1 or 0 per record
        in natural order, a TAB, the expression; or ERR, a TAB, the record being evaluated when
        it failed (0 while compiling), a TAB, the expression.
     answers <table> <expression file> show <recno> [<recno> ...]
        one line per expression: the expression, then per record a TAB and its value as
        type[text], a number as STR() with one argument prints it.

   A zero divisor gives 0, as the engine's default error handler makes it; any other error
   refuses the expression. */

#include "error.ch"

REQUEST DBFNTX, HB_GT_CGI_DEFAULT
REQUEST HB_CODEPAGE_EN
REQUEST UPPER, LOWER, TRIM, RTRIM, LTRIM, ALLTRIM, LEFT, RIGHT, SUBSTR, SPACE, REPLICATE
REQUEST PADL, PADR, PADC, STUFF, CHR, STR, STRZERO, DTOS, DTOC, CDOW, CMONTH, LEN, AT, RAT
REQUEST ASC, VAL, ABS, INT, ROUND, MIN, MAX, MOD, YEAR, MONTH, DAY, DOW, RECNO, RECCOUNT
REQUEST LASTREC, CTOD, STOD, DATE, EMPTY, DELETED, EOF, ISALPHA, ISDIGIT, ISUPPER, ISLOWER

PROCEDURE Main( cTable, cList, cMode, ... )
   LOCAL aRecs := {}, cLine, aLines, x

   FOR EACH x IN { ... }
      AAdd( aRecs, Val( x ) )
   NEXT
   rddSetDefault( "DBFNTX" )
   hb_cdpSelect( "EN" )
   SET EXACT OFF
   SET DELETED OFF
   SET DATE AMERICAN
   SET CENTURY OFF
   SET EPOCH TO 1900
   USE ( cTable ) SHARED READONLY
   ErrorBlock( {| e | iif( e:genCode == EG_ZERODIV .AND. e:canSubstitute, 0, Break( e ) ) } )

   aLines := hb_ATokens( StrTran( hb_MemoRead( cList ), Chr( 13 ) ), Chr( 10 ) )
   FOR EACH cLine IN aLines
      IF Empty( cLine )
         LOOP
      ENDIF
      IF cMode == "show"
         Show( cLine, aRecs )
      ELSE
         Mask( cLine )
      ENDIF
   NEXT
   RETURN

STATIC PROCEDURE Mask( cExpr )
   LOCAL bExpr, nRec := 0, nCount := 0, cBits := "", lOk := .T., x

   BEGIN SEQUENCE
      bExpr := &( "{|| " + cExpr + " }" )
      FOR nRec := 1 TO LastRec()
         dbGoto( nRec )
         x := Eval( bExpr )
         IF ValType( x ) != "L"
            lOk := .F.
            EXIT
         ENDIF
         cBits += iif( x, "1", "0" )
         nCount += iif( x, 1, 0 )
      NEXT
   RECOVER
      lOk := .F.
   END SEQUENCE
   IF lOk
      OutStd( hb_ntos( nCount ) + Chr( 9 ) + cBits + Chr( 9 ) + cExpr + Chr( 10 ) )
   ELSE
      OutStd( "ERR" + Chr( 9 ) + hb_ntos( iif( bExpr == NIL, 0, nRec ) ) + Chr( 9 ) + cExpr + Chr( 10 ) )
   ENDIF
   RETURN

STATIC PROCEDURE Show( cExpr, aRecs )
   LOCAL bExpr, cOut := cExpr, nRec, x

   BEGIN SEQUENCE
      bExpr := &( "{|| " + cExpr + " }" )
   RECOVER
      OutStd( cExpr + Chr( 9 ) + "ERR" + Chr( 10 ) )
      RETURN
   END SEQUENCE
   FOR EACH nRec IN aRecs
      dbGoto( nRec )
      BEGIN SEQUENCE
         x := Eval( bExpr )
         cOut += Chr( 9 ) + ValType( x ) + "["
         SWITCH ValType( x )
         CASE "N" ; cOut += Str( x ) ; EXIT
         CASE "C" ; cOut += x ; EXIT
         CASE "D" ; cOut += DToS( x ) ; EXIT
         CASE "L" ; cOut += iif( x, "T", "F" ) ; EXIT
         ENDSWITCH
         cOut += "]"
      RECOVER
         cOut += Chr( 9 ) + "ERR"
      END SEQUENCE
   NEXT
   OutStd( cOut + Chr( 10 ) )
   RETURN
