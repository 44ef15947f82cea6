  SELECT
	*  FROM T  