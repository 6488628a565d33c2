holiday concert offer archive customer minutes meeting project summer invoice lecture release holiday budget final final minutes invoice release winter invoice
